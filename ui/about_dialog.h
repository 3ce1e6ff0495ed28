// The modal about box: banner, product lines and the two links handed to the shell.
#pragma once

#include <windows.h>

#include "ui/dialog_window.h"

class AboutDialog : public DialogWindow {
public:
    HINSTANCE moduleInstance = nullptr;
    char linkText[64] = {};

    // Runs template 203 modally; always ends with 1.
    INT_PTR DoModal(HWND owner);

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OpenEmailLink(HWND control);
    void OpenWebLink(HWND control);
    void OpenLinkText(int show);
    void ChooseCursor();
    void DrawLink(const DRAWITEMSTRUCT& item);
};
