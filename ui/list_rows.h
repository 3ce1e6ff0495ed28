// The properties list-view's rows: counts, selection, and reading both columns back.
#pragma once

#include <windows.h>

#include "ui/list_text.h"

int RowCount(HWND list);
int SelectedCount(HWND list);
bool IsRowSelected(HWND list, int row);
// Changes only the selected bit; row -1 means every row.
void SetRowSelected(HWND list, int row, bool isSelected);

// The first 41 rows as the list holds them: both columns (limit 64) and whether selected.
// Returns how many were read.
int ReadListRows(HWND list, ListRow (&rows)[SlotCount]);
