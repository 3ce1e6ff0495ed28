// Hands single directory entries to InterpretEntry exactly as ReadEntry leaves them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "record/view_record.h"

enum class ByteOrder { Intel, Motorola };   // "II" and "MM"

constexpr ByteOrder BothByteOrders[] = {ByteOrder::Intel, ByteOrder::Motorola};

// A platform whose only working call is loadText: the built-in table, every id recorded.
const Platform& RecordingPlatform();
std::vector<TextId>& LoadedTextIds();

// Each call builds one entry in the builder's byte order and runs InterpretEntry on it, after
// the walk's own steps: scratch emptied (first byte only), header converted, value in line
// (one 32-bit word in file order; a text of 4 bytes or fewer also copied into scratch) or
// fetched raw into scratch or valueArea when 4 < size < 64.
class EntryBuilder {
public:
    EntryBuilder(ViewRecord& view, ByteOrder order);

    void Short(uint16_t tag, uint16_t value, uint16_t otherHalf = 0);
    void Shorts(uint16_t tag, uint16_t first, uint16_t second);
    void Long(uint16_t tag, uint32_t value);
    void Rational(uint16_t tag, uint32_t numerator, uint32_t denominator);
    void SignedRational(uint16_t tag, int32_t numerator, int32_t denominator);
    void Ascii(uint16_t tag, const std::string& text);   // the text and its terminating zero
    void Undefined(uint16_t tag, const std::string& bytes);
    // Any entry: the value's bytes as the file stores them.
    void Entry(uint16_t tag, uint16_t type, uint32_t count, const std::vector<uint8_t>& fileBytes);
    // A value outside the entry that could not be reached: valueOffset keeps the offset.
    void Unfetched(uint16_t tag, uint16_t type, uint32_t count, uint32_t offset);

    // The file's encoding of numbers, for hand-made values.
    std::vector<uint8_t> Encode16(uint16_t value) const;
    std::vector<uint8_t> Encode32(uint32_t value) const;

private:
    void Header(uint16_t tag, uint16_t type, uint32_t count);

    ViewRecord& view;
    ByteOrder order;
};

// The slot's bytes up to its terminator (all 64 when there is none).
std::string SlotText(const ViewRecord& view, InfoSlot slot);
// The code page 936 bytes of a UTF-8 text, as the string table loads it.
std::string Gbk(const char* utf8);
// The code page 936 bytes of a text of the table.
std::string TableText(TextId id);
