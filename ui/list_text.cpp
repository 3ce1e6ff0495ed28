// Clipboard text, saved file, default file name and caption of the properties dialog.
#include "ui/list_text.h"

#include <cstring>

#include "resources/code_page_936.h"

namespace {

// Appends within a fixed destination and counts every byte offered, so that one pass both
// measures a text and writes as much of it as fits.
class BoundedText {
public:
    BoundedText(char* destination, size_t capacity) : destination_(destination), capacity_(capacity) {}

    void Append(const char* text, size_t length)
    {
        if (capacity_ > 0 && length_ < capacity_ - 1) {
            const size_t room = capacity_ - 1 - length_;
            memcpy(destination_ + length_, text, length < room ? length : room);
        }
        length_ += length;
    }
    // Columns and addresses come from fixed buffers: never read past them, terminated or not.
    void AppendColumn(const char (&column)[SlotSize]) { Append(column, strnlen(column, SlotSize - 1)); }
    void Append(const char* text) { Append(text, strlen(text)); }

    size_t Finish()
    {
        if (capacity_ > 0)
            destination_[length_ < capacity_ ? length_ : capacity_ - 1] = 0;
        return length_;
    }

private:
    char* destination_;
    size_t capacity_;
    size_t length_ = 0;
};

void AppendRowLine(BoundedText& text, const ListRow& row)
{
    text.AppendColumn(row.label);
    text.Append("\t");
    text.AppendColumn(row.text);
    text.Append("\r\n");
}

bool IsSeparator(char byte) { return byte == '\\' || byte == '/'; }

}  // namespace

size_t ComposeClipboardText(CopyForm form, const ListRow* rows, size_t count, char* destination, size_t capacity)
{
    BoundedText text(destination, capacity);
    for (size_t i = 0; i < count; ++i) {
        if (form != CopyForm::AllRows && !rows[i].isSelected)
            continue;
        if (form == CopyForm::SelectedValues) {
            text.AppendColumn(rows[i].text);
            text.Append("\r\n");
        } else {
            AppendRowLine(text, rows[i]);
        }
    }
    return text.Finish();
}

size_t ComposeSavedFile(const char* address, const ListRow* rows, size_t count, char* destination, size_t capacity)
{
    BoundedText text(destination, capacity);
    text.Append(address, strnlen(address, AddressSize - 1));
    text.Append("\r\n\r\n");
    for (size_t i = 0; i < count; ++i)
        AppendRowLine(text, rows[i]);
    return text.Finish();
}

void DefaultFileName(const char* address, char (&name)[AddressSize])
{
    name[0] = 0;
    const size_t length = strnlen(address, AddressSize - 1);
    if (length <= 4)
        return;
    // A short address has no 16 bytes to count back: its window starts at its first byte.
    const size_t windowBegin = length >= 16 ? length - 16 : 0;
    const size_t windowEnd = length - 4;
    size_t nameBegin = windowBegin;
    size_t nameEnd = windowEnd;
    // Only a walk from the first byte tells lead bytes from trail bytes; a trail byte 0x5C is
    // half a character, not a backslash.
    for (size_t i = 0; i < windowEnd;) {
        const size_t width = IsCp936LeadByte(address[i]) && i + 1 < length ? 2 : 1;
        if (i < windowBegin && i + width > windowBegin)
            nameBegin = i + width;  // a character cut by the window's start is left out
        else if (i >= windowBegin && width == 1 && IsSeparator(address[i]))
            nameBegin = i + 1;
        if (i + width > windowEnd)
            nameEnd = i;  // and so is one cut by its end
        i += width;
    }
    if (nameEnd > nameBegin) {
        memcpy(name, address + nameBegin, nameEnd - nameBegin);
        name[nameEnd - nameBegin] = 0;
    }
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
    // One byte more than the caption holds, so that the cut can see a character it would split.
    char text[CaptionSize + 1];
    BoundedText composed(text, sizeof text);
    composed.Append(windowCaption);
    composed.Append(" - ");
    composed.Append(address);
    composed.Finish();
    const size_t length = CharacterCut(text, CaptionSize);
    memcpy(caption, text, length);
    caption[length] = 0;
}

ListRow ListRowOf(const SlotRow& row, bool isSelected)
{
    ListRow listed;
    memcpy(listed.label, row.label, SlotSize);
    memcpy(listed.text, row.text, SlotSize);
    listed.isSelected = isSelected;
    return listed;
}
