// One directory entry: read 12 bytes, convert "MM" fields, fetch a short out-of-line value,
// and hand the entry to the interpreter.
//
// entry, 12 bytes: 0 tag (2), 2 type (2), 4 count (4), 8 value or offset from base (4)
#include <cstdint>

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

}  // namespace

bool ViewRecord::ReadEntry(uint32_t base)
{
    scratch[0] = 0;  // only the first byte: older bytes behind it stay observable
    // Short read: the rest of entry keeps the previous entry's bytes.
    if (!ReadBytes(&entry, sizeof entry))
        return false;
    if (!isLittleEndian) {  // "MM": convert each field once, here
        Swap16(entry.tag);
        Swap16(entry.type);
        Swap32(entry.count);
        Swap32(entry.valueOffset);  // whole word, so an MM SHORT lands high
    }

    TypeRule rule = RuleOf(entry.type);
    uint32_t size = entry.count * rule.bytesPerValue;  // wraps at 2^32 like the format's own sums
    bool result = true;
    if (size > LargestInline && size < FetchLimit) {
        uint32_t here = Tell();
        uint32_t difference = base + entry.valueOffset - here;
        result = Seek(AsSignedDistance(difference), FromCurrent);
        if (result) {
            // Fetched bytes stay as the file holds them; the outcome of the read is not used.
            if (rule.destination == FetchInto::Scratch)
                ReadBytes(scratch, size);
            else if (rule.destination == FetchInto::ValueArea)
                ReadDword(valueArea, size);
            result = Seek(AsSignedDistance(here), FromBeginning);
        }
    }
    InterpretEntry();
    return result;
}
