// show_dialogs ADDRESS [--about]: the properties dialog filled from a picture, with two rows
// selected, and the about box over it when asked; for screenshots. Runs until it is closed.
#include <windows.h>

#include <cstring>
#include <thread>

#include "dialog_driver.h"
#include "picture.h"
#include "ui/resource_ids.h"

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const bool showsAbout = argc > 2 && strcmp(argv[2], "--about") == 0;
    const Picture picture(argv[1]);
    if (!picture.isRead)
        return 1;
    PropertiesDialog dialog;
    picture.Fill(dialog);
    const DWORD thread = GetCurrentThreadId();
    std::thread arranger([&] {
        HWND window = WaitForWindow([&] { return FindThreadWindow(thread, "#32770"); });
        if (!window)
            return;
        SelectRows(GetDlgItem(window, IDC_INFO_LIST), {1, 2});
        if (showsAbout)
            PostMessageA(window, WM_COMMAND, ID_ABOUT, 0);
    });
    dialog.DoModal(nullptr);
    arranger.join();
    return 0;
}
