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

HWND FindVisibleDialog(DWORD thread)
{
    HWND found = nullptr;
    EnumThreadWindows(thread, KeepVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The dialog's thread answers these while its modal loop runs; the buffers are in this process.
std::string ItemText(HWND list, int item, int column)
{
    char text[260] = {};
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
    return text;
}

std::vector<DialogRow> ReadRows(HWND dialog)
{
    std::vector<DialogRow> rows;
    HWND list = FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr);
    if (!list)
        return rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item)
        rows.push_back({ItemText(list, item, 0), ItemText(list, item, 1)});
    return rows;
}

double MillisecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

DialogWatch::DialogWatch() : watchedThread(GetCurrentThreadId())
{
    QueryPerformanceCounter(&start);
    watcher = std::thread([this] { Watch(); });
}

DialogWatch::~DialogWatch()
{
    if (watcher.joinable())
        Finish();
}

SeenDialog DialogWatch::Finish()
{
    isStopping = true;
    watcher.join();
    return seen;
}

void DialogWatch::Watch()
{
    HWND dialog = nullptr;
    while (!isStopping && !(dialog = FindVisibleDialog(watchedThread)))
        Sleep(1);
    if (!dialog)
        return;
    seen.millisecondsToVisible = MillisecondsSince(start);
    seen.isSeen = true;
    seen.rows = ReadRows(dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    // A dialog that ignored Cancel is told to close, so that a failing test still ends.
    // Under Xvfb without a window manager Wine waits about 2 s for the unmapped window.
    for (int wait = 0; wait < 5000 && IsWindow(dialog); ++wait)
        Sleep(1);
    if (IsWindow(dialog))
        PostMessageA(dialog, WM_CLOSE, 0, 0);
}
