// Drives a modal dialog of the test's main thread from a second thread, as a user would:
// finds windows, reads the list-view, right-clicks, reads menus and the clipboard.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/text_ids.h"
#include "ui/list_text.h"

// Runs open() on this thread (it shows a modal dialog) while drive() runs on a second thread
// with the thread id of this one. After drive() returns, any dialog it left open on this
// thread is closed, so that a failed check cannot hang the test. Returns open()'s result.
INT_PTR RunDriven(const std::function<INT_PTR()>& open, const std::function<void(DWORD thread)>& drive);

// Polls until found() gives a window or about 10 s have passed; null then.
HWND WaitForWindow(const std::function<HWND()>& found);
// The visible top-level window of thread with this class ("#32770" for dialogs, "#32768" for
// menus) and, when caption is given, this caption; owner, when given, must own it.
HWND FindThreadWindow(DWORD thread, const char* className, const char* caption = nullptr, HWND owner = nullptr);
// True when window goes away within about 5 s (or, when expectGone is false, stays for 1 s).
bool WindowEnds(HWND window, bool expectGone = true);

// The list-view's rows as the dialog reads them back: both columns (limit 64) and selection.
std::vector<ListRow> ReadListView(HWND list);
void SelectRows(HWND list, const std::vector<int>& rows);  // exactly these rows selected

// Real mouse input: moves the pointer to the screen point, optionally right-clicking there.
void MovePointer(POINT screen);
void RightClick(POINT screen);

// The pop-up menu open on thread: which of ids are greyed, then closes it without a choice.
struct MenuState {
    bool isOpen = false;
    HMENU menu = nullptr;
    std::vector<UINT> greyed;
    std::vector<UINT> enabled;
};
MenuState ReadAndCloseMenu(DWORD thread, const std::vector<UINT>& ids);

// The text of the failure box ("Orvane") that owner gets on thread, read once it shows and
// then closed.
std::string FailureShown(DWORD thread, HWND owner);
// What such a box must say: text id of the string table, then the system's reason for error.
std::string FailureText(TextId id, DWORD error);
// Runs command on this thread while a second one reads and closes the failure box it shows;
// "<none>" when the command ended without one.
std::string RunAnsweringFailure(HWND owner, const std::function<void()>& command);

// The clipboard's CF_TEXT block: all its bytes (GlobalSize of them), or "<none>".
std::string ClipboardBlock();
void PutInClipboard(const std::string& text);

std::string WindowText(HWND window);
std::string ReadWholeFile(const std::string& path);
