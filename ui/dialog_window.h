// The one shape of both dialogs: a start procedure binds the object registered for the thread
// to its window at the first message; from then on every message goes to HandleMessage.
#pragma once

#include <windows.h>

class DialogWindow {
public:
    HWND window = nullptr;

protected:
    DialogWindow() = default;
    ~DialogWindow() = default;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // Registers this object for the calling thread and runs template templateId modally.
    INT_PTR RunModal(HINSTANCE instance, WORD templateId, HWND owner);

    // Answers whether the message was handled, and its result; the rest gets the standard
    // dialog handling.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

private:
    static INT_PTR CALLBACK StartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
