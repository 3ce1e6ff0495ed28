// What the user is told when a command of the dialogs could not do its work.
#pragma once

#include <windows.h>

#include "resources/text_ids.h"

// A message box owned by owner: the string-table text, then on a line of its own the system's
// reason for error (none when error is 0 or the system has no text for it). The caption is the
// product name, the same for every such box.
void ShowFailure(HWND owner, HINSTANCE module, TextId text, DWORD error);

// The calling thread's last error, never 0: a failure must not read as success.
DWORD LastFailure();
