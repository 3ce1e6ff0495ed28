// The test's side of the modal dialog: find it, read its list, close it.
#include "dialog_watch.h"

#include <commctrl.h>

namespace {

BOOL CALLBACK KeepVisibleDialog(HWND window, LPARAM place)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(place) = window;
    return FALSE;
}

// The dialog's thread answers while its modal loop runs; the buffer is in this process.
std::string ItemText(HWND list, int item, int column)
{
    char text[260] = {};
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(item), reinterpret_cast<LPARAM>(&request));
    return text;
}

}  // namespace

SeenDialog DialogWatch::Finish()
{
    isStopping = true;
    if (watcher.joinable())
        watcher.join();
    return seen;
}

void DialogWatch::Watch()
{
    HWND dialog = nullptr;
    while (!dialog && !isStopping) {
        EnumThreadWindows(watched, KeepVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
        Sleep(1);
    }
    if (!dialog)
        return;
    seen.isSeen = true;
    HWND list = FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr);
    for (int item = 0, count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); list && item < count; ++item)
        seen.rows.push_back(ItemText(list, item, 0) + "\t" + ItemText(list, item, 1));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    // Without a window manager Wine waits about 2 s for the window to go; one that ignored
    // Cancel gets WM_CLOSE, so that a failing test still ends.
    for (int wait = 0; wait < 5000 && IsWindow(dialog); ++wait)
        Sleep(1);
    if (IsWindow(dialog))
        PostMessageA(dialog, WM_CLOSE, 0, 0);
}
