// One directory entry into display text: value normalisation, then the tag's row.
#include <cstring>
#include <initializer_list>

#include "record/byte_order.h"
#include "record/slot_text.h"
#include "exif/tag_table.h"
#include "record/view_record.h"

namespace {

constexpr size_t NumeratorAt = 0;     // a single rational's words at the start of valueArea
constexpr size_t DenominatorAt = 4;
constexpr uint32_t LongestInlineUndefined = 4;

uint32_t WordAt(const uint8_t (&area)[ValueAreaSize], size_t at)
{
    uint32_t word;
    memcpy(&word, area + at, sizeof word);
    return word;
}

void SetWordAt(uint8_t (&area)[ValueAreaSize], size_t at, uint32_t word) { memcpy(area + at, &word, sizeof word); }

// The walk converts valueOffset as one 32-bit word whatever the type and leaves fetched values
// as the file holds them; this makes the entry's numbers usable. Both builds' hosts are
// little-endian, so "II" data read as host words needs nothing.
TagValue NormaliseValue(ViewRecord& view)
{
    IfdEntry& entry = view.entry;
    bool isBigEndian = view.isLittleEndian == 0;
    bool isSingle = entry.count == 1;
    int32_t signedNumerator = 0;
    int32_t signedDenominator = 0;

    if (entry.type == TypeShort && isSingle) {
        // A big-endian in-line SHORT lands in the upper half; the other half is not ours.
        entry.valueOffset = isBigEndian ? entry.valueOffset >> 16 : entry.valueOffset & 0xFFFFu;
    } else if ((entry.type == TypeRational || entry.type == TypeSignedRational) && isSingle) {
        if (isBigEndian) {
            for (size_t at : {NumeratorAt, DenominatorAt}) {
                uint32_t word = WordAt(view.valueArea, at);
                Swap32(word);
                SetWordAt(view.valueArea, at, word);
            }
        }
        if (entry.type == TypeSignedRational) {
            signedNumerator = AsSigned32(WordAt(view.valueArea, NumeratorAt));
            signedDenominator = AsSigned32(WordAt(view.valueArea, DenominatorAt));
        }
    } else if (entry.type == TypeUndefined && entry.count <= LongestInlineUndefined) {
        // In-line bytes: the first stored byte ends up most significant in both byte orders.
        if (!isBigEndian)
            Swap32(entry.valueOffset);
    }

    TagValue value;
    value.numerator = WordAt(view.valueArea, NumeratorAt);
    value.denominator = WordAt(view.valueArea, DenominatorAt);
    value.unsignedRatio = Quotient(value.numerator, value.denominator);
    value.signedRatio = Quotient(signedNumerator, signedDenominator);
    return value;
}

// Replaces the slot's text with the row's text, when the entry has one.
void ReplaceSlot(ViewRecord& view, const TagRow& row, const TagValue& value)
{
    if (!row.format) {
        view.LoadEnumText(row.enumBase, row.enumMax, row.slot);
        return;
    }
    char text[SlotSize];
    if (row.format(view, value, text))
        SlotCopy(view.slots[row.slot], text);
}

void AppendToSlot(ViewRecord& view, const TagRow& row, const TagValue& value)
{
    char text[SlotSize];
    if (row.format && row.format(view, value, text))
        SlotAppend(view.slots[row.slot], "%s", text);
}

// A slot that already holds a program or a distance gets the listed values' words added.
void FillOrAppendWord(ViewRecord& view, const TagRow& row, const TagValue& value)
{
    char (&slot)[SlotSize] = view.slots[row.slot];
    if (SlotIsEmpty(slot)) {
        ReplaceSlot(view, row, value);
        return;
    }
    if (view.entry.valueOffset > row.enumMax || !AllowsWord(row.appendWords, view.entry.valueOffset))
        return;
    view.LoadText(row.enumBase + view.entry.valueOffset, view.scratch);
    char word[SlotSize];
    SlotCopy(word, view.scratch);
    SlotAppend(slot, " %s", word);
}

void ApplyWriteRule(ViewRecord& view, const TagRow& row, const TagValue& value)
{
    switch (row.write) {
    case WriteRule::Replace:
        ReplaceSlot(view, row, value);
        break;
    case WriteRule::ReplaceIfEmpty:
        if (SlotIsEmpty(view.slots[row.slot]))
            ReplaceSlot(view, row, value);
        break;
    case WriteRule::ReplaceOnZeroElseIfEmpty:
        if (view.entry.valueOffset == 0 || SlotIsEmpty(view.slots[row.slot]))
            ReplaceSlot(view, row, value);
        break;
    case WriteRule::Append:
        AppendToSlot(view, row, value);
        break;
    case WriteRule::FillOrAppendWord:
        FillOrAppendWord(view, row, value);
        break;
    case WriteRule::RecordExifIfd:
        view.exifIfdOffset = view.entry.valueOffset;
        break;
    case WriteRule::RecordMakerNote:
        view.makerNoteOffset = view.entry.valueOffset;
        break;
    }
}

}  // namespace

void ViewRecord::InterpretEntry()
{
    TagValue value = NormaliseValue(*this);
    const TagRow* row = FindTagRow(entry.tag);
    if (!row)
        return;
    entry.valueOffset = Remapped(row->remap, entry.valueOffset);
    ApplyWriteRule(*this, *row, value);
}

void ViewRecord::LoadEnumText(TextId baseId, uint16_t maxIndex, InfoSlot slot)
{
    if (entry.valueOffset > maxIndex)
        return;
    LoadText(baseId + entry.valueOffset, scratch);
    SlotCopy(slots[slot], scratch);
}
