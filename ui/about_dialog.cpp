// AboutDialog: its links drawn in blue, opened through the shell, and the hand over them.
#include "ui/about_dialog.h"

#include <shellapi.h>

#include <initializer_list>

#include "record/slot_text.h"
#include "ui/failure_message.h"
#include "ui/resource_ids.h"

INT_PTR AboutDialog::DoModal(HWND owner) { return RunModal(moduleInstance, IDD_ABOUT, owner); }

bool AboutDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const WORD id = LOWORD(wParam);
    const WORD code = HIWORD(wParam);
    switch (message) {
    case WM_INITDIALOG:
        result = TRUE;  // the dialog manager gives the focus to OK
        return true;
    case WM_COMMAND:
        // Command 2, which Escape sends, is not handled: Escape leaves the box open.
        if (id == IDOK)
            EndDialog(window, IDOK);
        else if (id == IDC_EMAIL_LINK && code == BN_CLICKED)
            OpenEmailLink(reinterpret_cast<HWND>(lParam));
        else if (id == IDC_WEB_LINK && code == BN_CLICKED)
            OpenWebLink(reinterpret_cast<HWND>(lParam));
        else
            return false;
        return true;
    case WM_CLOSE:
        EndDialog(window, IDOK);
        return true;
    case WM_SETCURSOR:
        ChooseCursor();
        result = TRUE;  // no other handling sets a cursor
        return true;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID == IDC_EMAIL_LINK || item.CtlID == IDC_WEB_LINK)
            DrawLink(item);
        return true;
    }
    default:
        return false;
    }
}

void AboutDialog::OpenEmailLink(HWND control)
{
    char address[SlotSize] = {};
    GetWindowTextA(control, address, sizeof address);
    // Bounded: a text longer than 56 bytes is cut rather than written past the link text.
    SlotFormat(linkText, "mailto:%s", address);
    OpenLinkText(SW_SHOW);
}

void AboutDialog::OpenWebLink(HWND control)
{
    GetWindowTextA(control, linkText, sizeof linkText);
    OpenLinkText(SW_SHOWMAXIMIZED);
}

void AboutDialog::OpenLinkText(int show)
{
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(window, nullptr, linkText, nullptr, nullptr, show));
    // No mail program or no browser must not look like a click that did nothing.
    if (result <= 32)
        ShowFailure(window, moduleInstance, TextCannotOpenLink, GetLastError());
}

void AboutDialog::ChooseCursor()
{
    POINT point = {};
    GetCursorPos(&point);
    bool isOverLink = false;
    for (int id : {IDC_EMAIL_LINK, IDC_WEB_LINK}) {
        RECT area = {};
        GetWindowRect(GetDlgItem(window, id), &area);
        isOverLink = isOverLink || PtInRect(&area, point);
    }
    const WORD cursor = isOverLink ? IDC_HAND_CURSOR : IDC_ARROW_CURSOR;
    SetCursor(LoadCursorA(moduleInstance, MAKEINTRESOURCEA(cursor)));
}

void AboutDialog::DrawLink(const DRAWITEMSTRUCT& item)
{
    // Text only: no background, focus rectangle, pressed look or underline.
    GetWindowTextA(item.hwndItem, linkText, sizeof linkText);
    SetTextColor(item.hDC, RGB(0, 0, 255));
    RECT area = item.rcItem;
    DrawTextA(item.hDC, linkText, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
