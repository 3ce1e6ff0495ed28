// Stands in for the user at a dialog that another process shows: waits for it, writes the rows of
// its list ("label<TAB>text" per line, in the ANSI code page) to a file, and closes it.
// Usage: dialog_closer SECONDS OUTPUT; exit 0 when a dialog was seen, 2 when none came.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

BOOL CALLBACK KeepForeignDialog(HWND window, LPARAM place)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window) || process == GetCurrentProcessId())
        return TRUE;
    *reinterpret_cast<HWND*>(place) = window;
    return FALSE;
}

// The list lives in the other process, so the request and its text buffer must live there too.
std::string ItemText(HWND list, HANDLE process, void* remote, int item, int column)
{
    char text[260] = {};
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = static_cast<char*>(remote) + sizeof request;
    request.cchTextMax = sizeof text;
    if (!WriteProcessMemory(process, remote, &request, sizeof request, nullptr))
        return "<unwritable>";
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, request.pszText, text, sizeof text - 1, nullptr);
    return text;
}

void WriteRows(HWND dialog, FILE* output)
{
    HWND list = FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr);
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    void* remote = process ? VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    if (!list || !remote) {
        std::fputs("<no readable list>\n", output);
    } else {
        int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int item = 0; item < count; ++item)
            std::fprintf(output, "%s\t%s\n", ItemText(list, process, remote, item, 0).c_str(),
                         ItemText(list, process, remote, item, 1).c_str());
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process)
        CloseHandle(process);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 1;
    DWORD deadline = GetTickCount() + static_cast<DWORD>(std::atoi(argv[1])) * 1000;
    HWND dialog = nullptr;
    while (!dialog && static_cast<LONG>(deadline - GetTickCount()) > 0) {
        EnumWindows(KeepForeignDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog)
            Sleep(50);
    }
    if (!dialog)
        return 2;
    FILE* output = std::fopen(argv[2], "wb");
    if (!output)
        return 1;
    WriteRows(dialog, output);
    std::fclose(output);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}
