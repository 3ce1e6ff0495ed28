// HEIF, HEIC and AVIF (the ISO base media file format): the Exif item of the file-level "meta"
// box. "iinf" names the item whose type is "Exif"; "iloc" says where its bytes lie, in the file
// or in the "idat" box; the item begins with the offset of the TIFF header behind its first 4
// bytes.
//
//   box        0 4 size (1: a 64-bit size follows the name; 0: to the end of the enclosing box)
//              (ISO/IEC 14496-12, 4.2)
//              4 4 name
//   full box   + 1 version, 3 flags
//   meta       full box of boxes: iinf, iloc, idat ... (14496-12, 8.11.1)
//   iinf       full box: count (2 bytes in version 0, else 4), then "infe" boxes (8.11.6)
//   infe v2/3  full box: item id (2 / 4), protection (2), item type (4)
//   iloc v0-2  (8.11.3) full box: sizes of offset, length | base offset, index (4 bits each: 0, 4 or 8),
//              item count (2 / 4 in version 2), per item: id (2 / 4 in version 2), construction
//              method (2, versions 1 and 2), data reference (2), base offset, extent count (2),
//              per extent: index (versions 1 and 2), offset, length
//   idat       the data of items of construction method 1 (8.11.11)
//   Exif item  4 offset of the TIFF header from the end of this field (big-endian), then data
//              (ISO/IEC 23008-12, annex A)
//
// The walk goes down a fixed path, ftyp then meta then its children, never deeper: a box nested
// in any other way is skipped whole. The Exif block must lie in one piece: an item of several
// extents is read when each extent starts where the one before it ends, and refused otherwise.
#include <cstdint>

#include "containers/container_fields.h"
#include "containers/finding.h"

namespace {

constexpr uint32_t BoxMeta = Name("meta");
constexpr uint32_t BoxItemInfo = Name("iinf");
constexpr uint32_t BoxItemInfoEntry = Name("infe");
constexpr uint32_t BoxItemLocation = Name("iloc");
constexpr uint32_t BoxItemData = Name("idat");
constexpr uint32_t ItemTypeExif = Name("Exif");
constexpr uint32_t BoxHeaderSize = 8;
constexpr uint32_t FullBoxHeaderSize = 4;  // version and flags
constexpr uint32_t TiffHeaderSize = 8;
constexpr uint32_t BeyondReach = 0xFFFFFFFF;  // a 64-bit field whose value needs more than 32 bits

// A box: its name, and its contents (the payload, past the header) as a range of their own.
struct Box {
    uint32_t name;
    ByteRange contents;
};

struct MetaParts {
    Box itemInfo, itemLocation, itemData;  // name 0: not found
};

// A big-endian field of 0, 2, 4 or 8 bytes from a buffer, which then lies past it.
uint32_t TakeField(const uint8_t*& bytes, uint32_t width)
{
    uint32_t value = 0;
    if (width == 2)
        value = BigEndian16(bytes);
    else if (width == 4)
        value = BigEndian32(bytes);
    else if (width == 8)
        value = BigEndian32(bytes) != 0 ? BeyondReach : BigEndian32(bytes + 4);
    bytes += width;
    return value;
}

// The header of the box at `at`, which must end within `within`. The stream is left at its
// payload.
bool ReadBox(ByteRange& within, uint32_t at, Box* box)
{
    uint8_t header[16] = {};
    if (at >= within.End() || !within.MoveTo(at) || !within.ReadAll(header, BoxHeaderSize))
        return false;
    const uint8_t* field = header;
    uint64_t size = TakeField(field, 4);
    box->name = TakeField(field, 4);
    uint32_t headerSize = BoxHeaderSize;
    if (size == 1) {  // a 64-bit size; one past 32 bits cannot end within the range
        headerSize += 8;
        if (!within.ReadAll(header + BoxHeaderSize, 8))
            return false;
        size = TakeField(field, 8);
    } else if (size == 0) {
        size = within.End() - at;
    }
    return size >= headerSize && within.Part(uint64_t{at} + headerSize, size - headerSize, &box->contents);
}

// The first child named `name` among the boxes from `at` to the end of `within`.
bool FindBox(ByteRange& within, uint32_t at, uint32_t name, Box* box)
{
    for (; at < within.End(); at = box->contents.End()) {
        if (!ReadBox(within, at, box))
            return false;
        if (box->name == name)
            return true;
    }
    return false;
}

// The first iinf, iloc and idat among the children of meta.
bool FindMetaParts(Box& meta, MetaParts* parts)
{
    Box box{0, meta.contents};
    for (uint32_t at = meta.contents.Start() + FullBoxHeaderSize; at < meta.contents.End(); at = box.contents.End()) {
        if (!ReadBox(meta.contents, at, &box))
            break;  // what was found before a broken box still counts
        Box* part = box.name == BoxItemInfo ? &parts->itemInfo : box.name == BoxItemLocation ? &parts->itemLocation
                  : box.name == BoxItemData ? &parts->itemData : nullptr;
        if (part && part->name == 0)
            *part = box;
    }
    return parts->itemInfo.name != 0 && parts->itemLocation.name != 0;
}

// The id of the first item whose type is "Exif" (item info entries of versions 2 and 3).
bool FindExifItem(Box& itemInfo, uint32_t* itemId)
{
    ByteRange& info = itemInfo.contents;
    uint8_t version = 0;
    if (info.Size() < FullBoxHeaderSize || !info.MoveTo(info.Start()) || !info.ReadAll(&version, 1))
        return false;
    Box entry{0, info};
    uint32_t at = info.Start() + FullBoxHeaderSize + (version == 0 ? 2 : 4);  // past the count
    for (; at < info.End(); at = entry.contents.End()) {
        if (!FindBox(info, at, BoxItemInfoEntry, &entry))
            return false;
        uint8_t fields[14] = {};  // version, flags, id (2 or 4), protection index, item type
        uint32_t size = entry.contents.Size() < sizeof fields ? entry.contents.Size() : sizeof fields;
        if (size < 12 || !entry.contents.ReadAll(fields, size) || (fields[0] != 2 && fields[0] != 3))
            continue;
        uint32_t idWidth = fields[0] == 2 ? 2 : 4;
        if (size < 10 + idWidth)
            continue;
        const uint8_t* field = fields + FullBoxHeaderSize;
        uint32_t id = TakeField(field, idWidth);
        field += 2;
        if (TakeField(field, 4) == ItemTypeExif) {
            *itemId = id;
            return true;
        }
    }
    return false;
}

struct LocationLayout {
    uint32_t version, offsetWidth, lengthWidth, baseOffsetWidth, indexWidth;
};

constexpr bool IsFieldWidth(uint32_t width) { return width == 0 || width == 4 || width == 8; }

// Version, field widths and item count.
bool ReadLocationLayout(ByteRange& location, LocationLayout* layout, uint32_t* itemCount)
{
    uint8_t head[10] = {};
    if (!location.ReadAll(head, 6) || head[0] > 2)
        return false;
    *layout = LocationLayout{head[0], uint32_t{head[4]} >> 4, head[4] & 15u, uint32_t{head[5]} >> 4,
                             head[0] != 0 ? head[5] & 15u : 0};
    if (!IsFieldWidth(layout->offsetWidth) || !IsFieldWidth(layout->lengthWidth) ||
        !IsFieldWidth(layout->baseOffsetWidth) || !IsFieldWidth(layout->indexWidth))
        return false;
    uint32_t countWidth = layout->version < 2 ? 2 : 4;
    if (!location.ReadAll(head + 6, countWidth))
        return false;
    const uint8_t* field = head + 6;
    *itemCount = TakeField(field, countWidth);
    return true;
}

// The item's bytes from its extents, counted from base: [start, end), end NoEnd for "to the end".
constexpr uint64_t NoEnd = ~uint64_t{0};
struct Span {
    uint64_t start, end;
};

bool ReadExtents(ByteRange& location, const LocationLayout& layout, uint32_t base, uint32_t count, Span* span)
{
    uint32_t extentSize = layout.indexWidth + layout.offsetWidth + layout.lengthWidth;
    for (uint32_t index = 0; index < count; ++index) {
        uint8_t fields[24] = {};
        if (!location.ReadAll(fields, extentSize))
            return false;
        const uint8_t* field = fields + layout.indexWidth;  // the index serves method 2 only
        uint64_t offset = uint64_t{base} + TakeField(field, layout.offsetWidth);
        uint32_t length = TakeField(field, layout.lengthWidth);  // 0: to the end of the data
        if (index == 0)
            span->start = offset;
        else if (offset != span->end)
            return false;  // a gap, or an extent after one that ran to the end: not one piece
        span->end = length == 0 ? NoEnd : offset + length;
    }
    return count != 0;
}

// Where the item's bytes lie: in the file itself (construction method 0) or in the data of idat
// (method 1). Method 2 (other items) and other files are refused.
bool LocateItem(ByteRange& file, MetaParts& parts, uint32_t itemId, ByteRange* item)
{
    ByteRange& location = parts.itemLocation.contents;
    LocationLayout layout = {};
    uint32_t count = 0;
    if (!location.MoveTo(location.Start()) || !ReadLocationLayout(location, &layout, &count))
        return false;
    uint32_t idWidth = layout.version < 2 ? 2 : 4;
    uint32_t itemSize = idWidth + (layout.version != 0 ? 2 : 0) + 2 + layout.baseOffsetWidth + 2;
    // Each item takes at least 6 bytes of the box, so the count cannot outrun it.
    for (; count; --count) {
        uint8_t fields[18] = {};
        if (!location.ReadAll(fields, itemSize))
            return false;
        const uint8_t* field = fields;
        uint32_t id = TakeField(field, idWidth);
        uint32_t method = layout.version != 0 ? TakeField(field, 2) & 15 : 0;
        uint32_t reference = TakeField(field, 2);
        uint32_t base = TakeField(field, layout.baseOffsetWidth);
        uint32_t extents = TakeField(field, 2);
        if (id != itemId) {
            if (!location.Move(int64_t{extents} * (layout.indexWidth + layout.offsetWidth + layout.lengthWidth)))
                return false;
            continue;
        }
        Span span = {};
        if (reference != 0 || method > 1 || (method == 1 && parts.itemData.name == 0) ||
            !ReadExtents(location, layout, base, extents, &span))
            return false;
        const ByteRange& data = method == 1 ? parts.itemData.contents : file;
        uint64_t from = uint64_t{data.Start()} + span.start;
        return span.end == NoEnd ? data.PartToEnd(from, item) : data.Part(from, span.end - span.start, item);
    }
    return false;
}

// At the item: its first 4 bytes give the offset of the TIFF header behind them, and the
// header must lie inside the item. An item that starts past the end of the file is refused.
ExifBlock EnterExifItem(ByteRange& item)
{
    uint8_t field[4] = {};
    if (item.Size() < sizeof field)
        return Refused(Finding::IsobmffHeaderOutside);
    if (!item.MoveTo(item.Start()) || !item.ReadAll(field, sizeof field))
        return Refused(Finding::BlockPastEnd);
    uint32_t offset = BigEndian32(field);
    if (offset > item.Left() || item.Left() - offset < TiffHeaderSize || !item.Move(offset))
        return Refused(Finding::IsobmffHeaderOutside);
    return StepOverExifIdentifier(item);
}

}  // namespace

// A file type box of size 0 (the whole file) or 1 (a 64-bit size) leaves no meta box to read.
ExifBlock FindIsobmffExif(ByteRange& file, uint32_t fileTypeSize)
{
    Box meta{0, file};
    if (fileTypeSize < BoxHeaderSize || !FindBox(file, fileTypeSize, BoxMeta, &meta))
        return Refused(Finding::IsobmffNoMeta);
    MetaParts parts{{0, meta.contents}, {0, meta.contents}, {0, meta.contents}};
    if (!FindMetaParts(meta, &parts))
        return Refused(Finding::IsobmffNoItemBoxes);
    uint32_t itemId = 0;
    if (!FindExifItem(parts.itemInfo, &itemId))
        return Refused(Finding::IsobmffNoExifItem);
    ByteRange item = file;
    if (!LocateItem(file, parts, itemId, &item))
        return Refused(Finding::IsobmffItemNotLocated);
    return EnterExifItem(item);
}
