// A HEIF file around an Exif block: ftyp, meta (hdlr, iinf, iloc, idat), mdat. Item 1 stands for
// the image; the Exif item follows it, in mdat or in idat, whole or in extents.
#include <utility>

#include "support/container_writer.h"

namespace {

const Bytes HeifImage = {0x00, 0x00, 0x00, 0x01};  // stands for coded image data, never decoded

struct ItemPlace {
    uint32_t id;
    uint8_t method;
    uint64_t base;
    std::vector<std::pair<uint64_t, uint64_t>> extents;  // offset from base, length
};

Bytes SizedBox(const char (&name)[5], const Bytes& payload, bool isLarge, bool toEnd)
{
    if (toEnd)
        return Concat({Bytes(4, 0), Bytes(name, name + 4), payload});
    if (!isLarge)
        return Box(name, payload);
    return Concat({BigEndianBytes(1, 4), Bytes(name, name + 4), BigEndianBytes(16 + payload.size(), 8), payload});
}

Bytes InfoEntry(const HeifOptions& options, uint32_t id, const char (&type)[5])
{
    Bytes idBytes = BigEndianBytes(id, options.infoEntryVersion == 2 ? 2 : 4);
    return FullBox("infe", options.infoEntryVersion, Concat({idBytes, Bytes{0, 0}, Bytes(type, type + 4), Bytes{0}}));
}

Bytes ItemInfo(const HeifOptions& options, bool hasExif)
{
    bool hasOther = !options.otherBlock.empty();
    Bytes entries = InfoEntry(options, 1, "hvc1");
    if (hasOther)
        entries = Concat({entries, InfoEntry(options, 3, "hvc1")});
    Bytes exif = hasExif ? InfoEntry(options, options.exifItemId, "Exif") : Bytes{};
    Bytes other = hasOther ? InfoEntry(options, 4, "Exif") : Bytes{};
    entries = options.otherExifFirst ? Concat({entries, other, exif}) : Concat({entries, exif, other});
    return FullBox("iinf", 0, Concat({BigEndianBytes(1 + hasExif + 2 * hasOther, 2), entries}));
}

// pitm, and iref tying Exif item 2 to image 1 and Exif item 4 to image 3.
Bytes PrimaryAndReferences(const HeifOptions& options)
{
    Bytes primary = options.primaryItemId ? FullBox("pitm", 0, BigEndianBytes(options.primaryItemId, 2)) : Bytes{};
    if (!options.describes)
        return primary;
    Bytes references = Box("cdsc", Concat({BigEndianBytes(options.exifItemId, 2), BigEndianBytes(1, 2), BigEndianBytes(1, 2)}));
    if (!options.otherBlock.empty())
        references = Concat({references, Box("cdsc", {0, 4, 0, 1, 0, 3})});
    return Concat({primary, FullBox("iref", 0, references)});
}

Bytes ItemLocation(const HeifOptions& options, const std::vector<ItemPlace>& items)
{
    uint8_t version = options.locationVersion;
    uint32_t wide = version < 2 ? 2 : 4;
    Bytes out = {static_cast<uint8_t>(options.offsetWidth << 4 | options.lengthWidth),
                 static_cast<uint8_t>(options.baseOffsetWidth << 4 | (version != 0 ? options.indexWidth : 0))};
    out = Concat({out, BigEndianBytes(items.size(), wide)});
    for (const ItemPlace& item : items) {
        out = Concat({out, BigEndianBytes(item.id, wide)});
        if (version != 0)
            out = Concat({out, Bytes{0, item.method}});
        out = Concat({out, Bytes{0, 0}, BigEndianBytes(item.base, options.baseOffsetWidth),
                      BigEndianBytes(item.extents.size(), 2)});
        for (const auto& extent : item.extents) {
            if (version != 0)
                out = Concat({out, BigEndianBytes(1, options.indexWidth)});
            out = Concat({out, BigEndianBytes(extent.first, options.offsetWidth),
                          BigEndianBytes(options.lengthWidth ? extent.second : 0, options.lengthWidth)});
        }
    }
    return FullBox("iloc", version, out);
}

// The Exif item's bytes as stored (a gap byte after the first extent) and its place, starting
// at `start` from the origin of its construction method.
Bytes PlaceExif(const HeifOptions& options, const Bytes& item, uint64_t start, ItemPlace* place)
{
    uint32_t count = options.offsetWidth == 0 ? 1 : options.extentCount;  // all offsets 0 otherwise
    place->base = options.baseOffsetWidth != 0 ? start : 0;
    Bytes stored;
    size_t taken = 0;
    for (uint32_t index = 0; index < count; ++index) {
        size_t length = index + 1 == count ? item.size() - taken : item.size() / count;
        if (index == 1 && options.extentGap)
            stored.push_back(0xEE);
        place->extents.push_back({start + stored.size() - place->base, length});
        stored.insert(stored.end(), item.begin() + static_cast<std::ptrdiff_t>(taken),
                      item.begin() + static_cast<std::ptrdiff_t>(taken + length));
        taken += length;
    }
    return stored;
}

Bytes Assemble(const Bytes& block, const HeifOptions& options, uint64_t mediaData, size_t* mediaSize)
{
    Bytes item = Concat({BigEndianBytes(options.hasTiffOffset ? options.tiffOffset : 6, 4), Bytes{'E', 'x', 'i', 'f', 0, 0}, block});
    ItemPlace image{1, 0, options.baseOffsetWidth ? mediaData : 0, {}};
    image.extents.push_back({mediaData - image.base, HeifImage.size()});
    ItemPlace exif{options.exifItemId, static_cast<uint8_t>(options.inItemData ? 1 : 0), 0, {}};
    Bytes stored = block.empty() ? Bytes{}
                                 : PlaceExif(options, item, options.inItemData ? 0 : mediaData + HeifImage.size(), &exif);
    std::vector<ItemPlace> items = {image};
    if (!block.empty())
        items.push_back(exif);
    Bytes other;
    if (!options.otherBlock.empty()) {
        HeifOptions whole = options;
        whole.extentCount = 1, whole.extentGap = false;
        ItemPlace otherExif{4, 0, 0, {}};
        uint64_t start = mediaData + HeifImage.size() + (options.inItemData ? 0 : stored.size());
        Bytes item6 = Concat({BigEndianBytes(6, 4), Bytes{'E', 'x', 'i', 'f', 0, 0}, options.otherBlock});
        other = PlaceExif(whole, item6, start, &otherExif);
        ItemPlace otherImage = image;
        otherImage.id = 3;
        items.push_back(otherImage);
        if (!options.otherUnlocated)
            items.push_back(otherExif);
    }
    Bytes handler = FullBox("hdlr", 0, Concat({Bytes(4, 0), Bytes{'p', 'i', 'c', 't'}, Bytes(13, 0)}));
    Bytes info = ItemInfo(options, !block.empty()), location = ItemLocation(options, items);
    Bytes parts = options.locationFirst ? Concat({handler, location, info}) : Concat({handler, info, location});
    parts = Concat({parts, PrimaryAndReferences(options)});
    if (options.inItemData)
        parts = Concat({parts, Box("idat", stored)});
    Bytes meta = SizedBox("meta", Concat({Bytes{0, 0, 0, 0}, parts}), options.largeSizes, false);
    Bytes media = options.inItemData ? Concat({HeifImage, other}) : Concat({HeifImage, stored, other});
    *mediaSize = media.size();
    Bytes free;
    Bytes one = Box("free", {});
    for (uint32_t count = 0; count < options.freeBoxes; ++count)
        free.insert(free.end(), one.begin(), one.end());
    return Concat({FileTypeBox(), free, meta, SizedBox("mdat", media, options.largeSizes, options.mediaDataToEnd)});
}

}  // namespace

Bytes HeifFile(const Bytes& block, const HeifOptions& options)
{
    // The sizes don't depend on the offsets written, so a first pass finds where mdat's data lies.
    size_t mediaSize = 0;
    Bytes first = Assemble(block, options, 0, &mediaSize);
    return Assemble(block, options, first.size() - mediaSize, &mediaSize);
}
