// The texts the properties dialog composes from its list: clipboard texts, the saved file,
// the default file name and the caption. Portable, so the command line gives the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "exif/info_slot.h"
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

// "label TAB text CR LF" and "text CR LF".
std::string RowLine(const ListRow& row);
std::string ValueLine(const ListRow& row);

// The taken rows in list order, no heading; nothing is cut, however long.
std::string ClipboardText(CopyForm form, const std::vector<ListRow>& rows);

// The saved file: the heading (address, CR LF, CR LF), then the row line of every row.
std::string SavedFileHeading(const char* address);
std::string SavedFileBytes(const char* address, const std::vector<ListRow>& rows);

// The save dialog's default name: the last 16 bytes less the last 4, after the last separator.
std::string DefaultFileName(const char* address);

// The longest start of text, at most capacity - 1 bytes, that ends on a character boundary
// of code page 936.
size_t CharacterCut(const char* text, size_t capacity);

// The dialog's copy of an address: cut to 259 bytes on a character boundary, terminated.
void CopyAddress(char (&destination)[AddressSize], const char* text);

// "%s - %s" with the window's caption and the address, cut to 63 bytes on a character boundary.
void ComposeCaption(char (&caption)[CaptionSize], const char* windowCaption, const char* address);

// The list the dialog fills from these slot rows, every row selected or none.
std::vector<ListRow> ListRowsOf(const SlotRow* rows, int count, bool areSelected);
