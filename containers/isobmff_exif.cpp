// HEIF, HEIC and AVIF (the ISO base media file format): the primary image's Exif item of the
// file-level "meta" box. "iinf" names the items whose type is "Exif", "pitm" the primary image,
// and an "iref" reference of type "cdsc" ties an Exif item to its image; "iloc" says where the
// item's bytes lie, in the file or in the "idat" box; the item begins with the offset of the
// TIFF header behind its first 4 bytes.
//
//   box        size and name (isobmff_box.h)
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
#include "containers/isobmff_box.h"

namespace {

constexpr uint32_t BoxMeta = Name("meta");
constexpr uint32_t BoxItemInfo = Name("iinf");
constexpr uint32_t BoxItemInfoEntry = Name("infe");
constexpr uint32_t BoxItemLocation = Name("iloc");
constexpr uint32_t BoxItemData = Name("idat");
constexpr uint32_t BoxPrimaryItem = Name("pitm");
constexpr uint32_t BoxItemReference = Name("iref");
constexpr uint32_t ReferenceDescribes = Name("cdsc");  // content describes: Exif to its image
constexpr uint32_t ItemTypeExif = Name("Exif");
constexpr uint32_t TiffHeaderSize = 8;
// Real files tie one Exif item to an image; a few are looked at, so no file makes the walk
// read iloc once per item.
constexpr uint32_t MaxExifItemsTried = 8;

struct MetaParts {
    Box itemInfo, itemLocation, itemData, primary, references;  // name 0: not found
};

// The first iinf, iloc, idat, pitm and iref among the children of meta.
bool FindMetaParts(Box& meta, MetaParts* parts)
{
    Box box{0, meta.contents};
    for (uint32_t at = meta.contents.Start() + FullBoxHeaderSize; at < meta.contents.End(); at = box.contents.End()) {
        if (!ReadBox(meta.contents, at, &box))
            break;  // what was found before a broken box still counts
        Box* part = box.name == BoxItemInfo ? &parts->itemInfo : box.name == BoxItemLocation ? &parts->itemLocation
                  : box.name == BoxItemData ? &parts->itemData : box.name == BoxPrimaryItem ? &parts->primary
                  : box.name == BoxItemReference ? &parts->references : nullptr;
        if (part && part->name == 0)
            *part = box;
    }
    return parts->itemInfo.name != 0 && parts->itemLocation.name != 0;
}

// Calls accept with the id of each item whose type is "Exif" (item info entries of versions 2
// and 3), in the order of iinf, until it answers true; false when none did.
template <class Accept>
bool EachExifItem(Box& itemInfo, Accept accept)
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
        if (TakeField(field, 4) == ItemTypeExif && accept(id))
            return true;
    }
    return false;
}

// The primary item's id (pitm, 14496-12 8.11.4: a 2-byte id in version 0, else 4 bytes).
bool ReadPrimaryItem(Box& primary, uint32_t* id)
{
    ByteRange& contents = primary.contents;
    uint8_t fields[8] = {};
    if (primary.name == 0 || !contents.MoveTo(contents.Start()) || !contents.ReadAll(fields, FullBoxHeaderSize))
        return false;
    uint32_t width = fields[0] == 0 ? 2 : 4;
    const uint8_t* field = fields + FullBoxHeaderSize;
    if (!contents.ReadAll(fields + FullBoxHeaderSize, width))
        return false;
    *id = TakeField(field, width);
    return true;
}

// The first few items that a "cdsc" reference ties to the primary item. iref (8.11.12): full
// box (ids of 2 bytes in version 0, else 4), then one box per reference: from id, 2 count, to ids.
struct Descriptions {
    uint32_t ids[MaxExifItemsTried];
    uint32_t count;
};

void FindDescriptions(Box& references, uint32_t primaryId, Descriptions* found)
{
    ByteRange& contents = references.contents;
    uint8_t version = 0;
    if (references.name == 0 || !contents.MoveTo(contents.Start()) || !contents.ReadAll(&version, 1))
        return;
    const uint32_t width = version == 0 ? 2 : 4;
    Box reference{0, contents};
    for (uint32_t at = contents.Start() + FullBoxHeaderSize; at < contents.End() && found->count < MaxExifItemsTried;
         at = reference.contents.End()) {
        uint8_t fields[6] = {};
        if (!ReadBox(contents, at, &reference))
            return;
        if (reference.name != ReferenceDescribes || !reference.contents.ReadAll(fields, width + 2))
            continue;
        const uint8_t* field = fields;
        const uint32_t from = TakeField(field, width);
        for (uint32_t count = TakeField(field, 2); count && reference.contents.ReadAll(fields, width); --count) {
            field = fields;
            if (TakeField(field, width) == primaryId) {
                found->ids[found->count++] = from;
                break;
            }
        }
    }
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

// The primary image's Exif item: the one a "cdsc" reference ties to the item pitm names; without
// one, the first Exif item that iloc places where we read. A burst or a thumbnail keeps Exif
// items of other images in the same box, in any order.
Finding SelectExifItem(ByteRange& file, MetaParts& parts, ByteRange* item)
{
    uint32_t primaryId = 0, chosen = 0;
    Descriptions describing = {{}, 0};
    if (ReadPrimaryItem(parts.primary, &primaryId))
        FindDescriptions(parts.references, primaryId, &describing);
    bool sawExif = false;
    auto describesPrimary = [&](uint32_t id) {
        sawExif = true;
        chosen = id;
        for (uint32_t index = 0; index < describing.count; ++index)
            if (describing.ids[index] == id)
                return true;
        return false;
    };
    if (describing.count != 0 && EachExifItem(parts.itemInfo, describesPrimary))
        return LocateItem(file, parts, chosen, item) ? Finding::Found : Finding::IsobmffItemNotLocated;
    uint32_t tried = 0;
    auto isLocated = [&](uint32_t id) {
        sawExif = true;
        return tried++ < MaxExifItemsTried && LocateItem(file, parts, id, item);
    };
    if (EachExifItem(parts.itemInfo, isLocated))
        return Finding::Found;
    return sawExif ? Finding::IsobmffItemNotLocated : Finding::IsobmffNoExifItem;
}

}  // namespace

// A file type box of size 0 (the whole file) or 1 (a 64-bit size) leaves no meta box to read.
ExifBlock FindIsobmffExif(ByteRange& file, uint32_t fileTypeSize)
{
    Box meta{0, file};
    if (fileTypeSize < BoxHeaderSize || !FindBox(file, fileTypeSize, BoxMeta, &meta))
        return Refused(Finding::IsobmffNoMeta);
    MetaParts parts{{0, meta.contents}, {0, meta.contents}, {0, meta.contents}, {0, meta.contents}, {0, meta.contents}};
    if (!FindMetaParts(meta, &parts))
        return Refused(Finding::IsobmffNoItemBoxes);
    ByteRange item = file;
    Finding finding = SelectExifItem(file, parts, &item);
    return finding == Finding::Found ? EnterExifItem(item) : Refused(finding);
}
