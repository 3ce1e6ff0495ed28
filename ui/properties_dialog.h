// The modal properties dialog: the listed slots of one picture, with the list's context menu.
#pragma once

#include <windows.h>

#include "ui/dialog_window.h"

class PropertiesDialog : public DialogWindow {
public:
    HINSTANCE moduleInstance = nullptr;
    char address[260] = {};
    const char* slots[41] = {};
    HWND list = nullptr;

    // Cut to 259 bytes, never splitting a double-byte character.
    void SetAddress(const char* text);
    // Runs template 102 modally; returns 1 for OK, 2 for Cancel.
    INT_PTR DoModal(HWND owner);

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnInitDialog();
    void OnContextMenu();
    bool OnCommand(WORD id, WORD code);
    void OnTimer(UINT_PTR id);

    void SelectAll();
    void InvertSelection();
    void CopyRows(WORD command);
    void SaveAs();
    void ShowAbout();
};
