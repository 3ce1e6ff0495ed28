// What the user is told when a command of the dialogs could not do its work.
#pragma once

#include <windows.h>

#include "resources/text_ids.h"

// The caption of every failure box the module shows, from the dialogs' commands or elsewhere.
constexpr TextId FailureCaption = TextProductName;

// A message box owned by owner: the string-table text, then on a line of its own the system's
// reason for error (none when error is 0 or the system has no text for it).
void ShowFailure(HWND owner, HINSTANCE module, TextId text, DWORD error);
// The same box for a text that is wide already, such as a COM error description.
void ShowFailureText(HWND owner, HINSTANCE module, const wchar_t* text);
