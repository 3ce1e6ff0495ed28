// The texts the properties dialog composes from its list: clipboard texts, the saved file,
// the default file name and the caption. Portable, so the command line gives the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "record/info_slot.h"
#include "ui/slot_list.h"

constexpr size_t AddressSize = 260;   // the dialog's address member, terminator included
constexpr size_t CaptionSize = 64;

// One row as the dialog reads it back from the list: both columns, at most 63 bytes each.
struct ListRow {
    char label[SlotSize];
    char text[SlotSize];
    bool isSelected;
};

// The three clipboard texts: CmdCopy, CmdCopyInfo and CmdCopyAll.
enum class CopyForm { SelectedRows, SelectedValues, AllRows };

// Room for the longest texts of 41 rows and a 259-byte address, terminator included: with
// buffers of these sizes nothing the user copies or saves is ever cut.
constexpr size_t ClipboardCapacity = SlotCount * ((SlotSize - 1) * 2 + 3) + 1;
constexpr size_t SavedFileCapacity = (AddressSize - 1) + 4 + ClipboardCapacity;

// Both write at most capacity - 1 bytes and a terminator, and return the whole text's length
// (a result of capacity or more means the text was cut).
// The clipboard text: "label TAB text CR LF" (rows) or "text CR LF" (values) of the taken rows
// in list order, no heading.
size_t ComposeClipboardText(CopyForm form, const ListRow* rows, size_t count, char* destination, size_t capacity);
// The saved file: the address, CR LF, CR LF, then the row line of every row.
size_t ComposeSavedFile(const char* address, const ListRow* rows, size_t count, char* destination, size_t capacity);

// The same texts whole, for the command line.
inline std::string ClipboardText(CopyForm form, const std::vector<ListRow>& rows)
{
    std::string text(ComposeClipboardText(form, rows.data(), rows.size(), nullptr, 0), '\0');
    ComposeClipboardText(form, rows.data(), rows.size(), &text[0], text.size() + 1);
    return text;
}
inline std::string SavedFileBytes(const char* address, const std::vector<ListRow>& rows)
{
    std::string bytes(ComposeSavedFile(address, rows.data(), rows.size(), nullptr, 0), '\0');
    ComposeSavedFile(address, rows.data(), rows.size(), &bytes[0], bytes.size() + 1);
    return bytes;
}

// The save dialog's default name: the last 16 bytes less the last 4, after the last separator,
// in whole characters of code page 936.
void DefaultFileName(const char* address, char (&name)[AddressSize]);

// The longest start of text, at most capacity - 1 bytes, that ends on a character boundary
// of code page 936.
size_t CharacterCut(const char* text, size_t capacity);

// The dialog's copy of an address: cut to 259 bytes on a character boundary, terminated.
void CopyAddress(char (&destination)[AddressSize], const char* text);

// "%s - %s" with the window's caption and the address, cut to 63 bytes on a character boundary.
void ComposeCaption(char (&caption)[CaptionSize], const char* windowCaption, const char* address);

// The row the list shows for a slot row.
ListRow ListRowOf(const SlotRow& row, bool isSelected);
// The list the dialog fills from these slot rows, every row selected or none.
inline std::vector<ListRow> ListRowsOf(const SlotRow* rows, int count, bool areSelected)
{
    std::vector<ListRow> list;
    for (int i = 0; i < count; ++i)
        list.push_back(ListRowOf(rows[i], areSelected));
    return list;
}
