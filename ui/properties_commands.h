// The properties dialog's copy and save-as: free functions over the rows they are given, so
// that nothing here calls back into the dialog.
#pragma once

#include <windows.h>

#include "ui/list_text.h"
#include "ui/save_file.h"

// Places the clipboard text of form in the clipboard as CF_TEXT. When it cannot, the clipboard
// keeps what it had and a message box owned by owner says so.
void CopyRows(HWND owner, HINSTANCE module, CopyForm form, const ListRow* rows, int count);

// Asks for a file name, then saves the address and the rows in it; a failure leaves the chosen
// file as it was and is shown in a message box owned by owner. Cancelling does nothing.
void SaveRowsAs(HWND owner, HINSTANCE module, const char* address, const ListRow* rows, int count,
                const SaveFileFunctions& functions = SystemSaveFileFunctions);
