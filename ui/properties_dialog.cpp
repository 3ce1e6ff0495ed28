// PropertiesDialog: its window's messages - initialisation, the context menu, the timer's
// focus step - and the commands, which hand the rows to the list and command functions.
#include "ui/properties_dialog.h"

#include <commctrl.h>

#include <initializer_list>

#include "backends/module_text.h"
#include "ui/about_dialog.h"
#include "ui/list_rows.h"
#include "ui/properties_commands.h"
#include "ui/resource_ids.h"
#include "ui/slot_list.h"

namespace {

constexpr UINT_PTR FocusTimer = 1;
constexpr COLORREF ListGrey = RGB(235, 235, 235);
constexpr int NarrowestLabelColumn = 90;

}  // namespace

void PropertiesDialog::SetAddress(const char* text) { CopyAddress(address, text); }

INT_PTR PropertiesDialog::DoModal(HWND owner) { return RunModal(moduleInstance, IDD_PROPERTIES, owner); }

bool PropertiesDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;  // the dialog manager sets the default focus
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    default:
        return false;
    }
}

void PropertiesDialog::OnInitDialog()
{
    list = GetDlgItem(window, IDC_INFO_LIST);
    SetTimer(window, FocusTimer, 1, nullptr);

    char caption[CaptionSize] = {};
    GetWindowTextA(window, caption, sizeof caption);
    char composed[CaptionSize];
    ComposeCaption(composed, caption, address);
    SetWindowTextA(window, composed);

    HIMAGELIST images = ImageList_Create(2, 15, ILC_MASK, 1, 1);
    ImageList_ReplaceIcon(images, -1, LoadIconA(moduleInstance, MAKEINTRESOURCEA(IDI_ROW_IMAGE)));
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    SendMessageA(list, LVM_SETBKCOLOR, 0, ListGrey);
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, ListGrey);

    for (int column = 0; column < 2; ++column) {
        char heading[SlotSize] = {};
        LoadModuleText(moduleInstance, TextColumnItem + static_cast<TextId>(column), heading, sizeof heading);
        LVCOLUMNA format = {};
        format.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        format.fmt = LVCFMT_LEFT;
        format.cx = NarrowestLabelColumn;
        format.pszText = heading;
        format.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&format));
    }
    FillList();

    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0));
    if (SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0) < NarrowestLabelColumn)
        SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(NarrowestLabelColumn, 0));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
}

void PropertiesDialog::FillList()
{
    SlotRow slotRows[SlotCount];
    const int slotRowCount = BuildSlotRows(slots, LoadModuleText, moduleInstance, slotRows);
    rowCount = 0;
    for (int i = 0; i < slotRowCount; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = RowCount(list);
        item.pszText = slotRows[i].label;
        item.iImage = 0;
        // Only rows the list took are kept, so that kept rows and listed rows stay the same.
        if (SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0)
            continue;
        item.iSubItem = 1;
        item.pszText = slotRows[i].text;
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(item.iItem), reinterpret_cast<LPARAM>(&item));
        rows[rowCount++] = ListRowOf(slotRows[i], false);
    }
}

bool PropertiesDialog::OnCommand(WORD id, WORD code)
{
    switch (id) {
    case IDOK: EndDialog(window, IDOK); return true;
    // Escape and the close box arrive as command 2 with BN_CLICKED.
    case IDCANCEL:
        if (code != BN_CLICKED)
            return false;
        EndDialog(window, IDCANCEL);
        return true;
    case ID_SELECT_ALL: CmdSelectAll(); return true;
    case ID_INVERT_SELECTION: CmdInvertSelection(); return true;
    case ID_COPY: CmdCopy(); return true;
    case ID_COPY_INFO: CmdCopyInfo(); return true;
    case ID_COPY_ALL: CmdCopyAll(); return true;
    case ID_SAVE_AS: CmdSaveAs(); return true;
    case ID_ABOUT: CmdAbout(); return true;
    default: return false;
    }
}

bool PropertiesDialog::OnNotify(const NMHDR& header)
{
    if (header.idFrom != IDC_INFO_LIST || header.code != static_cast<UINT>(NM_RCLICK))
        return false;
    OnContextMenu();
    return true;
}

void PropertiesDialog::OnContextMenu()
{
    HMENU menu = LoadMenuA(moduleInstance, MAKEINTRESOURCEA(IDM_LIST_MENU));
    const int listed = RowCount(list);
    const int selected = SelectedCount(list);
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    POINT point = {};
    if (popup && GetCursorPos(&point)) {
        const UINT rowsState = listed > 0 ? MF_ENABLED : MF_GRAYED;
        const UINT selectionState = listed > 0 && selected > 0 ? MF_ENABLED : MF_GRAYED;
        for (UINT id : {ID_SELECT_ALL, ID_INVERT_SELECTION, ID_COPY_ALL, ID_SAVE_AS})
            EnableMenuItem(popup, id, MF_BYCOMMAND | rowsState);
        for (UINT id : {ID_COPY, ID_COPY_INFO})
            EnableMenuItem(popup, id, MF_BYCOMMAND | selectionState);
        TrackPopupMenu(popup, 0, point.x, point.y, 0, window, nullptr);
    }
    // Loaded afresh for every right-click, so released after every one.
    if (menu)
        DestroyMenu(menu);
}

void PropertiesDialog::OnTimer(UINT_PTR id)
{
    // Once the dialog shows, the standard handling passes this focus on to a control.
    if (id == FocusTimer)
        SetFocus(window);
    KillTimer(window, FocusTimer);
}

void PropertiesDialog::CmdSelectAll() { SetRowSelected(list, -1, true); }

void PropertiesDialog::CmdInvertSelection()
{
    const int listed = RowCount(list);
    for (int row = 0; row < listed; ++row)
        SetRowSelected(list, row, !IsRowSelected(list, row));
}

void PropertiesDialog::CmdCopy() { CopySelected(CopyForm::SelectedRows); }

void PropertiesDialog::CmdCopyInfo() { CopySelected(CopyForm::SelectedValues); }

// The selection lives in the list: these two read the rows back from it.
void PropertiesDialog::CopySelected(CopyForm form)
{
    if (SelectedCount(list) <= 0)
        return;
    ListRow listed[SlotCount];
    CopyRows(window, moduleInstance, form, listed, ReadListRows(list, listed));
}

void PropertiesDialog::CmdCopyAll()
{
    if (rowCount > 0)
        CopyRows(window, moduleInstance, CopyForm::AllRows, rows, rowCount);
}

void PropertiesDialog::CmdSaveAs() { SaveRowsAs(window, moduleInstance, address, rows, rowCount); }

void PropertiesDialog::CmdAbout()
{
    AboutDialog about;
    about.moduleInstance = moduleInstance;
    about.DoModal(GetActiveWindow());
}
