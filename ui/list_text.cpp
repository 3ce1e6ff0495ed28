// Clipboard text, saved file, default file name and caption of the properties dialog.
#include "ui/list_text.h"

#include <cstdint>
#include <cstring>

#include "resources/code_page_936.h"

std::string RowLine(const ListRow& row) { return std::string(row.label) + "\t" + row.text + "\r\n"; }

std::string ValueLine(const ListRow& row) { return std::string(row.text) + "\r\n"; }

std::string ClipboardText(CopyForm form, const std::vector<ListRow>& rows)
{
    std::string text;
    for (const ListRow& row : rows) {
        if (form != CopyForm::AllRows && !row.isSelected)
            continue;
        text += form == CopyForm::SelectedValues ? ValueLine(row) : RowLine(row);
    }
    return text;
}

std::string SavedFileHeading(const char* address) { return std::string(address) + "\r\n\r\n"; }

std::string SavedFileBytes(const char* address, const std::vector<ListRow>& rows)
{
    std::string bytes = SavedFileHeading(address);
    for (const ListRow& row : rows)
        bytes += RowLine(row);
    return bytes;
}

std::string DefaultFileName(const char* address)
{
    const size_t length = strlen(address);
    if (length <= 4)
        return "";
    // A short address has no 16 bytes to count back: its window starts at its first byte.
    const size_t end = length - 4;
    const size_t begin = length >= 16 ? length - 16 : 0;
    size_t nameBegin = begin;
    for (size_t i = begin; i < end; ++i) {
        if (address[i] == '\\' || address[i] == '/')
            nameBegin = i + 1;
    }
    return std::string(address + nameBegin, end - nameBegin);
}

size_t CharacterCut(const char* text, size_t capacity)
{
    if (capacity == 0)
        return 0;
    // One byte past the room shows whether the last character would be split by the cut.
    return Cp936FittingLength(text, strnlen(text, capacity), capacity - 1);
}

void CopyAddress(char (&destination)[AddressSize], const char* text)
{
    const size_t length = CharacterCut(text, AddressSize);
    memcpy(destination, text, length);
    destination[length] = 0;
}

void ComposeCaption(char (&caption)[CaptionSize], const char* windowCaption, const char* address)
{
    const std::string text = std::string(windowCaption) + " - " + address;
    const size_t length = CharacterCut(text.c_str(), CaptionSize);
    memcpy(caption, text.data(), length);
    caption[length] = 0;
}

std::vector<ListRow> ListRowsOf(const SlotRow* rows, int count, bool areSelected)
{
    std::vector<ListRow> list(static_cast<size_t>(count > 0 ? count : 0));
    for (size_t i = 0; i < list.size(); ++i) {
        memcpy(list[i].label, rows[i].label, SlotSize);
        memcpy(list[i].text, rows[i].text, SlotSize);
        list[i].isSelected = areSelected;
    }
    return list;
}
