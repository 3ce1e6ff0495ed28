// The list-view messages behind the properties list's rows.
#include "ui/list_rows.h"

#include <commctrl.h>

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

int SelectedCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0)); }

bool IsRowSelected(HWND list, int row)
{
    return SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) == LVIS_SELECTED;
}

void SetRowSelected(HWND list, int row, bool isSelected)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = isSelected ? LVIS_SELECTED : 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int ReadListRows(HWND list, ListRow (&rows)[SlotCount])
{
    const int listed = RowCount(list);
    const int count = listed < SlotCount ? listed : SlotCount;
    for (int i = 0; i < count; ++i) {
        ListRow& row = rows[i];
        row.label[0] = row.text[0] = 0;  // what a failed read leaves
        LVITEMA item = {};
        item.cchTextMax = SlotSize;
        item.pszText = row.label;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = row.text;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        row.isSelected = IsRowSelected(list, i);
    }
    return count > 0 ? count : 0;
}
