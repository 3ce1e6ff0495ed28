// The thread's error information, as the page script sees it after ShowDlg: description and
// interface id. COM error objects on Windows; natively a per-thread record of the same shape.
#pragma once

#include "record/info_slot.h"
#include "resources/identifiers.h"

// Makes an 8-bit (code page 936) text the thread's error description, with IView's id. A null
// text clears the thread's error information, as SetErrorInfo with no object does.
void SetThreadErrorText(const char* text);

// The description (code page 936, cut at 63 bytes) and GUID of the thread's current error
// information, which stays the thread's; false when the thread has none.
bool GetThreadErrorInfo(char (&description)[SlotSize], Guid* guid);
