// Finding, reading and clicking the dialogs of another thread.
#include "dialog_driver.h"

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "ui/list_rows.h"

namespace {

struct Search {
    const char* className;
    const char* caption;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<Search*>(context);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (!IsWindowVisible(window) || strcmp(name, search.className) != 0)
        return TRUE;
    if (search.caption && WindowText(window) != search.caption)
        return TRUE;
    if (search.owner && GetWindow(window, GW_OWNER) != search.owner)
        return TRUE;
    search.found = window;
    return FALSE;
}

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void SendMouse(POINT screen, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 over the primary screen.
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

INT_PTR RunDriven(const std::function<INT_PTR()>& open, const std::function<void(DWORD thread)>& drive)
{
    const DWORD thread = GetCurrentThreadId();
    std::thread driver([&] {
        drive(thread);
        // Close what a failed check left open: inner boxes first, each by its own way out.
        for (int round = 0; round < 5; ++round) {
            HWND left = FindThreadWindow(thread, "#32770");
            if (!left)
                break;
            if (!WindowEnds(left))
                PostMessageA(left, WM_CLOSE, 0, 0);
        }
    });
    const INT_PTR result = open();
    driver.join();
    return result;
}

HWND WaitForWindow(const std::function<HWND()>& found)
{
    for (int i = 0; i < 2000; ++i) {
        if (HWND window = found())
            return window;
        Pause(5);
    }
    return nullptr;
}

HWND FindThreadWindow(DWORD thread, const char* className, const char* caption, HWND owner)
{
    Search search = {className, caption, owner, nullptr};
    EnumThreadWindows(thread, MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WindowEnds(HWND window, bool expectGone)
{
    // A window that must stay is watched for 1 s; one that must go is given 5 s.
    for (int i = 0; i < (expectGone ? 1000 : 200) && IsWindow(window); ++i)
        Pause(5);
    return IsWindow(window) != expectGone;
}

std::vector<ListRow> ReadListView(HWND list)
{
    ListRow rows[SlotCount];
    return std::vector<ListRow>(rows, rows + ReadListRows(list, rows));
}

void SelectRows(HWND list, const std::vector<int>& rows)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows)
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void MovePointer(POINT screen)
{
    SendMouse(screen, 0);
    Pause(30);
}

void RightClick(POINT screen)
{
    MovePointer(screen);
    SendMouse(screen, MOUSEEVENTF_RIGHTDOWN);
    SendMouse(screen, MOUSEEVENTF_RIGHTUP);
}

// The box's text, or "<none>" without a box; the box is closed with OK.
std::string ReadAndCloseFailure(HWND box)
{
    if (!box)
        return "<none>";
    const std::string text = WindowText(GetDlgItem(box, 0xFFFF));  // the message box's text control
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WindowEnds(box);
    return text;
}

std::string FailureShown(DWORD thread, HWND owner)
{
    return ReadAndCloseFailure(WaitForWindow([&] { return FindThreadWindow(thread, "#32770", "Orvane", owner); }));
}

std::string FailureText(TextId id, DWORD error)
{
    char text[64] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    char reason[512] = {};
    if (error)
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                       sizeof reason, nullptr);
    std::string line = reason;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line.empty() ? text : std::string(text) + "\r\n" + line;
}

std::string RunAnsweringFailure(HWND owner, const std::function<void()>& command)
{
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> isDone{false};
    std::string text;
    std::thread watcher([&] {
        // Once the command has returned, no box of it can still appear.
        HWND box = nullptr;
        for (int i = 0; i < 2000 && !box && !isDone; ++i, Pause(5))
            box = FindThreadWindow(thread, "#32770", "Orvane", owner);
        text = ReadAndCloseFailure(box);
    });
    command();
    isDone = true;
    watcher.join();
    return text;
}

MenuState ReadAndCloseMenu(DWORD thread, const std::vector<UINT>& ids)
{
    MenuState state;
    HWND popup = WaitForWindow([&] { return FindThreadWindow(thread, "#32768"); });
    if (!popup)
        return state;
    state.isOpen = true;
    state.menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    for (UINT id : ids) {
        const UINT flags = GetMenuState(state.menu, id, MF_BYCOMMAND);
        (flags & (MF_GRAYED | MF_DISABLED) ? state.greyed : state.enabled).push_back(id);
    }
    PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    WindowEnds(popup);
    return state;
}

std::string ClipboardBlock()
{
    std::string bytes = "<none>";
    for (int i = 0; i < 100 && !OpenClipboard(nullptr); ++i)
        Pause(10);
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
        const char* data = static_cast<const char*>(GlobalLock(block));
        if (data)
            bytes.assign(data, GlobalSize(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return bytes;
}

void PutInClipboard(const std::string& text)
{
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string WindowText(HWND window)
{
    char text[300] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
