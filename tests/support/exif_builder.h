// Hand-built JPEG and TIFF bytes for the reader's tests: entries of any tag, type, count and
// value, out-of-line values with their offsets filled in, a Fujifilm maker note.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

enum class Order { Little, Big };

// The directories an entry's value can point at; their offsets are known only when built.
enum class Target { ExifIfd, MakerNote };

class IfdBuilder {
public:
    explicit IfdBuilder(Order byteOrder) : order(byteOrder) {}

    // value holds the value's bytes as the file stores them: 4 bytes or fewer go into the
    // entry (padded with zeros), more go behind the directory with the offset filled in.
    IfdBuilder& Add(uint16_t tag, uint16_t type, uint32_t count, const Bytes& value);
    // valueOffset written as given, whatever the size.
    IfdBuilder& AddRaw(uint16_t tag, uint16_t type, uint32_t count, uint32_t valueOffset);
    // LONG (or a maker note's UNDEFINED) whose value is the offset of a directory.
    IfdBuilder& AddPointer(uint16_t tag, Target target);
    IfdBuilder& Ascii(uint16_t tag, const std::string& text);  // count includes the zero
    IfdBuilder& Short(uint16_t tag, uint16_t value);
    IfdBuilder& Long(uint16_t tag, uint32_t value);
    IfdBuilder& Rational(uint16_t tag, uint32_t numerator, uint32_t denominator);
    // The entry count the directory claims; by default the number of entries added.
    IfdBuilder& ClaimCount(uint16_t count);

    Bytes Encode16(uint16_t value) const;
    Bytes Encode32(uint32_t value) const;
    bool empty() const { return entries.empty() && !hasClaimedCount; }

    struct Entry {
        uint16_t tag, type;
        uint32_t count;
        Bytes value;
        enum class Kind { Value, Raw, Pointer } kind;
        uint32_t rawOffset;
        Target target;
    };
    Order order;
    std::vector<Entry> entries;
    bool hasClaimedCount = false;
    uint16_t claimedCount = 0;
};

// Offsets from the TIFF base, as laid out by TiffBuilder::Build.
struct TiffLayout {
    uint32_t ifd0 = 0;
    uint32_t exifIfd = 0;    // 0 when there is none
    uint32_t makerNote = 0;  // 0 when there is none
    uint32_t makerNoteSize = 0;
};

class TiffBuilder {
public:
    explicit TiffBuilder(Order byteOrder) : order(byteOrder), ifd0(byteOrder), exifIfd(byteOrder), makerNote(Order::Little) {}

    // Layout: header, IFD0 and its values, Exif IFD and its values, then the maker note
    // ("FUJIFILM", directory offset 12, little-endian directory and values).
    Bytes Build(TiffLayout* layout = nullptr) const;

    Order order;
    char byteOrderMark[2] = {0, 0};  // zero: "II" or "MM" by order
    uint16_t identification = 42;
    bool hasIfd0Offset = false;      // else 8
    uint32_t ifd0Offset = 0;
    IfdBuilder ifd0;
    IfdBuilder exifIfd;              // built when it has entries or a claimed count
    IfdBuilder makerNote;            // likewise
    std::string makerNoteIdentifier = "FUJIFILM";
};

// A JPEG segment: FF, marker, big-endian length (2 + payload), payload.
Bytes Segment(uint8_t marker, const Bytes& payload);
// The APP1 segment "Exif" 00 00 + tiff.
Bytes ExifSegment(const Bytes& tiff);
// FF D8 followed by the parts; the TIFF base of Jpeg({ExifSegment(t)}) is 12.
Bytes Jpeg(const std::vector<Bytes>& parts);
Bytes Concat(const std::vector<Bytes>& parts);
