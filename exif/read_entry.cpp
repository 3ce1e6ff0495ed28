// One directory entry: read 12 bytes, convert "MM" fields, fetch a short value, and hand the
// entry to the interpreter.
//
// entry, 12 bytes: 0 tag (2), 2 type (2), 4 count (4), 8 value or offset from base (4)
// A value cut short by the end of the file is not shown, and an entry cut short ends its
// directory: the interpreter only ever sees bytes the file holds.
#include <cstdint>
#include <cstring>

#include "record/byte_order.h"
#include "record/field_type.h"
#include "record/signed_distance.h"
#include "record/view_record.h"

namespace {

enum class FetchInto { Nothing, Scratch, ValueArea };

struct TypeRule {
    uint32_t bytesPerValue;
    FetchInto destination;
};

// Indexed by type 0 to 12; any other type has size 0.
constexpr TypeRule TypeRules[] = {
    {0, FetchInto::Nothing},                                       // 0: no such type
    {1, FetchInto::Scratch},   {1, FetchInto::Scratch},            // BYTE, ASCII
    {2, FetchInto::Nothing},   {4, FetchInto::ValueArea},          // SHORT, LONG
    {8, FetchInto::ValueArea}, {1, FetchInto::Scratch},            // RATIONAL, SBYTE
    {1, FetchInto::Scratch},   {2, FetchInto::Nothing},            // UNDEFINED, SSHORT
    {4, FetchInto::ValueArea}, {8, FetchInto::ValueArea},          // SLONG, SRATIONAL
    {4, FetchInto::Nothing},   {8, FetchInto::Nothing},            // FLOAT, DOUBLE
};
static_assert(sizeof TypeRules / sizeof TypeRules[0] == TypeDouble + 1, "one rule per field type");

constexpr TypeRule RuleOf(uint16_t type)
{
    return type <= TypeDouble ? TypeRules[type] : TypeRules[0];
}

constexpr uint32_t LargestInline = 4;   // 4 bytes or fewer stay in valueOffset
constexpr uint32_t FetchLimit = ValueAreaSize;  // both fetch buffers; that much or more is not fetched
static_assert(sizeof(ViewRecord::scratch) == FetchLimit, "scratch is the other fetch buffer");

// An ASCII value of 4 bytes or fewer is the value field itself, in the file's byte order
// whatever the "MM" conversion does to valueOffset; scratch holds it like a fetched text.
void CopyInlineText(char (&scratch)[SlotSize], const uint8_t (&valueField)[4], uint32_t size)
{
    memcpy(scratch, valueField, size);
    scratch[size] = 0;
}

}  // namespace

bool ViewRecord::ReadEntry(uint32_t base, bool* isCutShort)
{
    scratch[0] = 0;  // only the first byte: older bytes behind it stay observable
    uint32_t delivered = 0;
    ReadBytes(&entry, sizeof entry, &delivered);
    // An entry the file ends in is not interpreted: the rest of it would be the last entry's.
    if (isCutShort)
        *isCutShort = delivered < sizeof entry;
    if (delivered < sizeof entry)
        return delivered != 0;
    uint8_t valueField[4];
    memcpy(valueField, &entry.valueOffset, sizeof valueField);
    if (!isLittleEndian) {  // "MM": convert each field once, here
        Swap16(entry.tag);
        Swap16(entry.type);
        Swap32(entry.count);
        Swap32(entry.valueOffset);  // whole word, so an MM SHORT lands high
    }

    TypeRule rule = RuleOf(entry.type);
    uint32_t size = entry.count * rule.bytesPerValue;  // wraps at 2^32 like the format's own sums
    if (entry.type == TypeAscii && size <= LargestInline)
        CopyInlineText(scratch, valueField, size);
    bool result = true;
    bool isValueWhole = true;
    if (size > LargestInline && size < FetchLimit) {
        uint32_t here = Tell();
        uint32_t difference = base + entry.valueOffset - here;
        result = Seek(AsSignedDistance(difference), FromCurrent);
        uint32_t fetched = 0;
        if (result) {
            // Fetched bytes stay as the file holds them.
            if (rule.destination == FetchInto::Scratch)
                ReadBytes(scratch, size, &fetched);
            else if (rule.destination == FetchInto::ValueArea)
                ReadDword(valueArea, size, &fetched);
            result = Seek(AsSignedDistance(here), FromBeginning);
        }
        // A value that could not be reached or was cut short is not shown: its slot stays.
        isValueWhole = rule.destination == FetchInto::Nothing || fetched == size;
    }
    if (isValueWhole)
        InterpretEntry();
    return result;
}
