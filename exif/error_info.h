// The thread's error information as the reader's caller sees it: description and interface id.
#pragma once

#include "exif/info_slot.h"
#include "resources/identifiers.h"

// The description (code page 936, cut at 63 bytes) and GUID of the thread's current error
// information; false when the thread has none.
bool GetThreadErrorInfo(char (&description)[SlotSize], Guid* guid);

// Clears the thread's error information, so a test can see that a report set it anew.
void ClearThreadErrorInfo();
