// The modal properties dialog: the listed slots of one picture, with the list's context menu.
#pragma once

#include <windows.h>

#include "ui/dialog_window.h"
#include "ui/list_text.h"

class PropertiesDialog : public DialogWindow {
public:
    HINSTANCE moduleInstance = nullptr;
    char address[AddressSize] = {};
    const char* slots[SlotCount] = {};
    HWND list = nullptr;

    // Cut to 259 bytes, never splitting a double-byte character.
    void SetAddress(const char* text);
    // Runs template 102 modally; returns 1 for OK, 2 for Cancel, -1 when it could not be made.
    INT_PTR DoModal(HWND owner);

private:
    // The rows as the list was filled with them; the slots are not read after that.
    ListRow rows[SlotCount] = {};
    int rowCount = 0;

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnInitDialog();
    void FillList();
    bool OnCommand(WORD id, WORD code);
    bool OnNotify(const NMHDR& header);
    void OnContextMenu();
    void OnTimer(UINT_PTR id);

    void CmdSelectAll();
    void CmdInvertSelection();
    void CmdCopy();
    void CmdCopyInfo();
    void CmdCopyAll();
    void CmdSaveAs();
    void CmdAbout();
    void CopySelected(CopyForm form);
};
