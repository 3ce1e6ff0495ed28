// Lays out hand-built directories: entries first, out-of-line values behind each directory.
#include "support/exif_builder.h"

#include <cstring>

namespace {

constexpr uint16_t TypeLong = 4;
constexpr uint16_t TypeUndefined = 7;
constexpr uint32_t MakerNoteHeaderSize = 12;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void Put(Bytes& out, size_t at, const Bytes& value)
{
    for (size_t i = 0; i < value.size(); ++i)
        out[at + i] = value[i];
}

struct Targets {
    uint32_t exifIfd, makerNote, makerNoteSize;
};

// Writes the directory at out.size(); offsets of its values count from origin.
void Emit(const IfdBuilder& ifd, Bytes& out, size_t origin, const Targets& targets)
{
    uint16_t count = ifd.hasClaimedCount ? ifd.claimedCount : static_cast<uint16_t>(ifd.entries.size());
    Append(out, ifd.Encode16(count));
    size_t entryStart = out.size();
    out.resize(entryStart + 12 * ifd.entries.size() + 4, 0);  // entries, then a zero next link
    for (size_t i = 0; i < ifd.entries.size(); ++i) {
        const IfdBuilder::Entry& entry = ifd.entries[i];
        size_t at = entryStart + 12 * i;
        Put(out, at, ifd.Encode16(entry.tag));
        Put(out, at + 2, ifd.Encode16(entry.type));
        uint32_t count32 = entry.count;
        uint32_t field = 0;
        Bytes inlineValue;
        switch (entry.kind) {
        case IfdBuilder::Entry::Kind::Raw:
            field = entry.rawOffset;
            break;
        case IfdBuilder::Entry::Kind::Pointer:
            field = entry.target == Target::ExifIfd ? targets.exifIfd : targets.makerNote;
            if (entry.target == Target::MakerNote)
                count32 = targets.makerNoteSize;
            break;
        case IfdBuilder::Entry::Kind::Value:
            if (entry.value.size() <= 4) {
                inlineValue = entry.value;
            } else {
                field = static_cast<uint32_t>(out.size() - origin);
                Append(out, entry.value);
            }
            break;
        }
        Put(out, at + 4, ifd.Encode32(count32));
        if (entry.kind == IfdBuilder::Entry::Kind::Value && entry.value.size() <= 4)
            Put(out, at + 8, inlineValue);
        else
            Put(out, at + 8, ifd.Encode32(field));
    }
}

}  // namespace

IfdBuilder& IfdBuilder::Add(uint16_t tag, uint16_t type, uint32_t count, const Bytes& value)
{
    entries.push_back(Entry{tag, type, count, value, Entry::Kind::Value, 0, Target::ExifIfd});
    return *this;
}

IfdBuilder& IfdBuilder::AddRaw(uint16_t tag, uint16_t type, uint32_t count, uint32_t valueOffset)
{
    entries.push_back(Entry{tag, type, count, {}, Entry::Kind::Raw, valueOffset, Target::ExifIfd});
    return *this;
}

IfdBuilder& IfdBuilder::AddPointer(uint16_t tag, Target target)
{
    uint16_t type = target == Target::ExifIfd ? TypeLong : TypeUndefined;
    entries.push_back(Entry{tag, type, 1, {}, Entry::Kind::Pointer, 0, target});
    return *this;
}

IfdBuilder& IfdBuilder::Ascii(uint16_t tag, const std::string& text)
{
    Bytes value(text.begin(), text.end());
    value.push_back(0);
    return Add(tag, 2, static_cast<uint32_t>(value.size()), value);
}

IfdBuilder& IfdBuilder::Short(uint16_t tag, uint16_t value) { return Add(tag, 3, 1, Encode16(value)); }

IfdBuilder& IfdBuilder::Long(uint16_t tag, uint32_t value) { return Add(tag, 4, 1, Encode32(value)); }

IfdBuilder& IfdBuilder::Rational(uint16_t tag, uint32_t numerator, uint32_t denominator)
{
    Bytes value = Encode32(numerator);
    Append(value, Encode32(denominator));
    return Add(tag, 5, 1, value);
}

IfdBuilder& IfdBuilder::ClaimCount(uint16_t count)
{
    hasClaimedCount = true;
    claimedCount = count;
    return *this;
}

Bytes IfdBuilder::Encode16(uint16_t value) const
{
    uint8_t low = static_cast<uint8_t>(value & 0xFF), high = static_cast<uint8_t>(value >> 8);
    return order == Order::Little ? Bytes{low, high} : Bytes{high, low};
}

Bytes IfdBuilder::Encode32(uint32_t value) const
{
    Bytes out(4);
    for (int i = 0; i < 4; ++i) {
        int shift = order == Order::Little ? 8 * i : 8 * (3 - i);
        out[static_cast<size_t>(i)] = static_cast<uint8_t>(value >> shift);
    }
    return out;
}

Bytes TiffBuilder::Build(TiffLayout* layout) const
{
    // Two rounds: the first finds where the directories land, the second fills in pointers.
    Targets targets{0, 0, 0};
    Bytes out;
    for (int round = 0; round < 2; ++round) {
        out.clear();
        TiffLayout found;
        bool little = order == Order::Little;
        out.push_back(byteOrderMark[0] ? static_cast<uint8_t>(byteOrderMark[0]) : (little ? 'I' : 'M'));
        out.push_back(byteOrderMark[1] ? static_cast<uint8_t>(byteOrderMark[1]) : (little ? 'I' : 'M'));
        Append(out, ifd0.Encode16(identification));
        Append(out, ifd0.Encode32(hasIfd0Offset ? ifd0Offset : 8));
        found.ifd0 = 8;
        Emit(ifd0, out, 0, targets);
        if (!exifIfd.empty()) {
            found.exifIfd = static_cast<uint32_t>(out.size());
            Emit(exifIfd, out, 0, targets);
        }
        if (!makerNote.empty()) {
            size_t noteStart = out.size();
            found.makerNote = static_cast<uint32_t>(noteStart);
            Bytes identifier(makerNoteIdentifier.begin(), makerNoteIdentifier.end());
            identifier.resize(8, 0);
            Append(out, identifier);
            Append(out, makerNote.Encode32(MakerNoteHeaderSize));  // always little-endian
            Emit(makerNote, out, noteStart, targets);
            found.makerNoteSize = static_cast<uint32_t>(out.size() - noteStart);
        }
        targets = Targets{found.exifIfd, found.makerNote, found.makerNoteSize};
        if (layout)
            *layout = found;
    }
    return out;
}

Bytes Segment(uint8_t marker, const Bytes& payload)
{
    size_t length = payload.size() + 2;
    // Sized once, then filled: growing a 4-byte vector by insert trips GCC 12's -Warray-bounds.
    Bytes out(4 + payload.size());
    out[0] = 0xFF;
    out[1] = marker;
    out[2] = static_cast<uint8_t>(length >> 8);  // JPEG lengths are big-endian
    out[3] = static_cast<uint8_t>(length & 0xFF);
    Put(out, 4, payload);
    return out;
}

Bytes ExifSegment(const Bytes& tiff)
{
    Bytes payload{'E', 'x', 'i', 'f', 0, 0};
    Append(payload, tiff);
    return Segment(0xE1, payload);
}

Bytes Concat(const std::vector<Bytes>& parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        Append(out, part);
    return out;
}

Bytes Jpeg(const std::vector<Bytes>& parts)
{
    Bytes out{0xFF, 0xD8};
    Append(out, Concat(parts));
    return out;
}
