// Watches the calling thread's windows from a second thread while ShowDlg runs modally on it:
// the first dialog that becomes visible is read (its list's rows) and then closed.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct DialogRow {
    std::string label;
    std::string text;
};

struct SeenDialog {
    bool isSeen = false;
    std::vector<DialogRow> rows;  // the list's two columns, in the ANSI code page
    double millisecondsToVisible = 0;
};

class DialogWatch {
public:
    DialogWatch();
    ~DialogWatch();
    DialogWatch(const DialogWatch&) = delete;
    DialogWatch& operator=(const DialogWatch&) = delete;

    // Stops watching and says what was seen.
    SeenDialog Finish();

private:
    void Watch();

    DWORD watchedThread;
    LARGE_INTEGER start;
    std::atomic<bool> isStopping{false};
    SeenDialog seen;
    std::thread watcher;
};
