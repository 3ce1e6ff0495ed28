// Watches the calling thread's windows from a second thread while ShowDlg runs modally on it:
// the first visible dialog is read (its list's two columns) and closed with Cancel.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct SeenDialog {
    bool isSeen = false;
    std::vector<std::string> rows;  // label TAB text, in the ANSI code page
};

class DialogWatch {
public:
    DialogWatch() : watched(GetCurrentThreadId()), watcher([this] { Watch(); }) {}
    ~DialogWatch() { Finish(); }
    DialogWatch(const DialogWatch&) = delete;
    DialogWatch& operator=(const DialogWatch&) = delete;

    SeenDialog Finish();

private:
    void Watch();

    DWORD watched;
    std::atomic<bool> isStopping{false};
    SeenDialog seen;
    std::thread watcher;
};
