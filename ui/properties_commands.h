// The properties dialog's copy and save-as: free functions over the rows they are given, so
// that nothing here calls back into the dialog.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "system/replace_file_win32.h"
#include "ui/list_text.h"

// The clipboard calls of a copy; tests fail any of them.
struct ClipboardFunctions {
    BOOL(WINAPI* openClipboard)(HWND owner);
    BOOL(WINAPI* emptyClipboard)();
    HANDLE(WINAPI* setClipboardData)(UINT format, HANDLE data);
    BOOL(WINAPI* closeClipboard)();
};

extern const ClipboardFunctions SystemClipboardFunctions;

// The system calls of a save, from the save dialog to the final rename; tests fail any of them.
struct SaveFileFunctions {
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEA request);
    DWORD(WINAPI* commDlgExtendedError)();
    ReplaceFileFunctions replace;
};

extern const SaveFileFunctions SystemSaveFileFunctions;

// Places the clipboard text of form in the clipboard as CF_TEXT; a failure is shown in a
// message box owned by owner. The clipboard is emptied only once the text is ready, right before
// it is handed over: when the clipboard cannot be opened or emptied, it keeps what it had; when
// the system refuses the text after that, the clipboard is left empty.
void CopyRows(HWND owner, HINSTANCE module, CopyForm form, const ListRow* rows, int count,
              const ClipboardFunctions& functions = SystemClipboardFunctions);

// Asks for a file name, then saves the address and the rows in it; a failure leaves the chosen
// file as it was and is shown in a message box owned by owner. Cancelling does nothing.
void SaveRowsAs(HWND owner, HINSTANCE module, const char* address, const ListRow* rows, int count,
                const SaveFileFunctions& functions = SystemSaveFileFunctions);
