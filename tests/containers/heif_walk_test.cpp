// HEIF: every iloc version and field width, idat, extents, item offsets, box sizes (64-bit,
// 0, too small, too large), items past the end, nesting, and each way the walk refuses.
#include <gtest/gtest.h>

#include <string>

#include "support/container_writer.h"
#include "support/finding.h"
#include "support/twin_reading.h"

namespace {

std::string Describe(const HeifOptions& o)
{
    return "iloc v" + std::to_string(o.locationVersion) + " widths " + std::to_string(o.offsetWidth) + "/" +
           std::to_string(o.lengthWidth) + "/" + std::to_string(o.baseOffsetWidth) + "/" +
           std::to_string(o.indexWidth) + " infe v" + std::to_string(o.infoEntryVersion) +
           (o.inItemData ? " idat" : "") + " extents " + std::to_string(o.extentCount);
}

TEST(HeifWalk, EveryLocationVersionAndFieldWidthFindsTheBlock)
{
    const uint8_t widths[] = {0, 4, 8};
    int cases = 0;
    for (uint8_t version = 0; version <= 2; ++version)
        for (uint8_t offset : widths)
            for (uint8_t length : widths)
                for (uint8_t base : widths)
                    for (uint8_t index : widths) {
                        if ((offset == 0 && base == 0) || (version == 0 && index != 0))
                            continue;  // the item would lie at 0; version 0 has no index
                        for (bool itemData : {false, true}) {
                            if (itemData && version == 0)
                                continue;  // construction methods came with version 1
                            HeifOptions o;
                            o.locationVersion = version;
                            o.offsetWidth = offset, o.lengthWidth = length, o.baseOffsetWidth = base;
                            o.indexWidth = index;
                            o.inItemData = itemData;
                            o.infoEntryVersion = version == 2 ? 3 : 2;
                            o.exifItemId = version == 2 ? 0x10002 : 2;
                            Bytes block = RichBlock(version == 1 ? Order::Big : Order::Little);
                            ExpectReading(HeifFile(block, o), block, MessageOk, Describe(o));
                            ++cases;
                        }
                    }
    EXPECT_EQ(cases, 312);
}

// A burst or a thumbnail keeps other images' Exif items beside the primary image's.
TEST(HeifWalk, ThePrimaryImagesExifItemIsRead)
{
    Bytes primary = RichBlock(Order::Big);
    TiffBuilder other(Order::Little);
    other.ifd0.Ascii(0x010F, "Other image").Ascii(0x0110, "Second");
    Bytes otherBlock = other.Build();
    auto options = [&](uint32_t primaryId, bool describes, bool otherFirst, bool otherUnlocated) {
        HeifOptions o;
        o.otherBlock = otherBlock;
        o.primaryItemId = primaryId, o.describes = describes;
        o.otherExifFirst = otherFirst, o.otherUnlocated = otherUnlocated;
        return o;
    };
    struct Case {
        const char* what;
        HeifOptions options;
        const Bytes& expected;
        TextId message;
    } cases[] = {
        {"burst, pitm names the second image", options(3, true, false, false), otherBlock, MessageOk},
        {"burst, pitm names the first image", options(1, true, false, false), primary, MessageOk},
        {"thumbnail's Exif listed first", options(1, true, true, false), primary, MessageOk},
        {"no iref: the first Exif item", options(1, false, true, false), otherBlock, MessageOk},
        {"first Exif item without a location", options(0, false, true, true), primary, MessageOk},
        {"the primary's Exif without a location", options(3, true, false, true), primary, MessageNoExif},
    };
    for (const Case& c : cases) {
        for (bool itemData : {false, true}) {
            HeifOptions o = c.options;
            o.inItemData = itemData;
            ExpectReading(HeifFile(primary, o), c.expected, c.message, std::string(c.what) + (itemData ? " idat" : ""));
        }
    }
}

TEST(HeifWalk, ItemsOfSeveralExtentsAreReadWhenTheyFollowOneAnother)
{
    struct Case {
        uint32_t extents;
        bool gap, itemData;
        TextId message;
    } cases[] = {
        {2, false, false, MessageOk}, {7, false, false, MessageOk}, {3, false, true, MessageOk},
        {2, true, false, MessageNoExif}, {4, true, true, MessageNoExif},
    };
    for (const Case& c : cases) {
        HeifOptions o;
        o.extentCount = c.extents, o.extentGap = c.gap, o.inItemData = c.itemData;
        Bytes block = RichBlock(Order::Big);
        ExpectReading(HeifFile(block, o), block, c.message, Describe(o) + (c.gap ? " with a gap" : ""));
    }
}

TEST(HeifWalk, ExifItemOffsetMustLeaveTheTiffHeaderInsideTheItem)
{
    Bytes block = RichBlock(Order::Little);
    const uint32_t payload = static_cast<uint32_t>(6 + block.size());  // "Exif" 00 00 and the block
    struct Case {
        uint32_t offset;
        TextId message;
        Finding finding;
    } cases[] = {
        {6, MessageOk, Finding::Found},                     // past "Exif" 00 00, as writers do
        {0, MessageOk, Finding::Found},                     // at "Exif" 00 00, which is stepped over
        {payload - 8, MessageBadData, Finding::Found},      // the last 8 bytes: a header, but not a TIFF one
        {payload - 7, MessageNoExif, Finding::IsobmffHeaderOutside},  // the header would end past the item
        {payload, MessageNoExif, Finding::IsobmffHeaderOutside},
        {0x7FFFFFF0, MessageNoExif, Finding::IsobmffHeaderOutside},
        {0xFFFFFFFF, MessageNoExif, Finding::IsobmffHeaderOutside},
    };
    for (bool itemData : {false, true}) {
        for (const Case& c : cases) {
            HeifOptions o;
            o.hasTiffOffset = true, o.tiffOffset = c.offset, o.inItemData = itemData;
            const std::string what = "offset " + std::to_string(c.offset) + (itemData ? " idat" : "");
            ExpectReading(HeifFile(block, o), block, c.message, what);
            EXPECT_EQ(FindIn(HeifFile(block, o)).finding, c.finding) << what;
        }
    }
}

TEST(HeifWalk, BoxOrderAndSizeFormsDoNotMatter)
{
    Bytes block = RichBlock(Order::Big, true);
    HeifOptions o;
    o.locationFirst = true;
    ExpectReading(HeifFile(block, o), block, MessageOk, "iloc before iinf");
    o.largeSizes = true;
    ExpectReading(HeifFile(block, o), block, MessageOk, "64-bit sizes");
    o.mediaDataToEnd = true;
    ExpectReading(HeifFile(block, o), block, MessageOk, "mdat to the end");
    // meta of size 0 runs to the end of the file, and mdat becomes one of its (unknown) children.
    Bytes toEnd = HeifFile(block);
    PutBig32(toEnd, Find(toEnd, "meta") - 4, 0);
    ExpectReading(toEnd, block, MessageOk, "meta to the end");
    // Boxes before meta are moved past, however many.
    o = HeifOptions();
    o.freeBoxes = 3;
    ExpectReading(HeifFile(block, o), block, MessageOk, "free boxes before meta");
    o.freeBoxes = 20000;
    ExpectReading(HeifFile(block, o), block, MessageOk, "20000 boxes before meta", 3 * 20000 + 400);
}

}  // namespace

namespace {

// The refusals: each file is a HEIF file (ftyp) whose walk leads to no block.
TEST(HeifWalk, BrokenStructuresEndWithNoExif)
{
    Bytes block = RichBlock(Order::Little);
    Bytes good = HeifFile(block);
    size_t meta = Find(good, "meta") - 4, iloc = Find(good, "iloc") - 4, iinf = Find(good, "iinf") - 4;
    size_t exifType = Find(good, "Exif");
    struct Case {
        const char* what;
        size_t at;
        bool isByte;
        uint32_t value;
        Finding finding;
    } cases[] = {
        {"meta smaller than its header", meta, false, 7, Finding::IsobmffNoMeta},
        {"meta larger than 2 GiB", meta, false, 0x80000000, Finding::IsobmffNoMeta},
        {"iloc reaching past meta", iloc, false, 0x7000, Finding::IsobmffNoItemBoxes},
        {"iinf of size 4", iinf, false, 4, Finding::IsobmffNoItemBoxes},
        {"no item of type Exif", exifType, false, 0x45786966 + 1, Finding::IsobmffNoExifItem},
        {"iloc version 3", iloc + 8, true, 3, Finding::IsobmffItemNotLocated},
        {"iloc offset width 2", iloc + 12, true, 0x24, Finding::IsobmffItemNotLocated},
        {"iloc base offset width 1", iloc + 13, true, 0x10, Finding::IsobmffItemNotLocated},
        {"infe version 1", Find(good, "infe", exifType - 12) + 4, true, 1, Finding::IsobmffNoExifItem},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        if (c.isByte)
            bad[c.at] = static_cast<uint8_t>(c.value);
        else
            PutBig32(bad, c.at, c.value);
        ExpectReading(bad, block, MessageNoExif, c.what);
        EXPECT_EQ(FindIn(bad).finding, c.finding) << c.what;
    }
}

TEST(HeifWalk, SixtyFourBitSizesAndOffsetsBeyondReachAreRefused)
{
    Bytes block = RichBlock(Order::Little);
    HeifOptions o;
    o.largeSizes = true;
    Bytes large = HeifFile(block, o);
    size_t meta = Find(large, "meta");
    PutBig32(large, meta + 4, 1);  // the high word of meta's 64-bit size
    ExpectReading(large, block, MessageNoExif, "meta of 4 GiB and more");

    o = HeifOptions();
    o.offsetWidth = 8;
    Bytes far = HeifFile(block, o);
    // The Exif item's extent offset is the second 8-byte offset of iloc: its high word set.
    size_t iloc = Find(far, "iloc");
    size_t exifOffset = far.size();  // found below
    for (size_t at = iloc; at + 8 < far.size(); ++at) {
        if (far[at] == 0 && far[at + 1] == 2 && far[at + 2] == 0 && far[at + 3] == 0) {  // item 2, reference 0
            exifOffset = at + 6;  // extent count (2), then the offset
            break;
        }
    }
    ASSERT_LT(exifOffset, far.size());
    PutBig32(far, exifOffset, 1);
    ExpectReading(far, block, MessageNoExif, "Exif item at 4 GiB and more");
}

TEST(HeifWalk, ItemsPastTheEndOfTheFileAreRefused)
{
    Bytes block = RichBlock(Order::Little);
    HeifOptions o;
    o.offsetWidth = 4;
    Bytes cut = HeifFile(block, o);
    cut.resize(Find(cut, "mdat") + 4 + 4);  // mdat keeps the image's 4 bytes; the item is gone
    ExpectReading(cut, block, MessageNoExif, "item beyond the end");
    EXPECT_EQ(FindIn(cut).finding, Finding::BlockPastEnd);
}

TEST(HeifWalk, ConstructionMethodsOtherThanFileAndIdatAreRefused)
{
    Bytes block = RichBlock(Order::Little);
    HeifOptions o;
    o.inItemData = true;
    Bytes bytes = HeifFile(block, o);
    // iloc: name, version and flags (4), widths (2), count (2), item 1 (id, method, reference,
    // extent count, one extent of 4 + 4 bytes), then item 2's id and its method.
    size_t method = Find(bytes, "iloc") + 4 + 4 + 2 + 2 + (2 + 2 + 2 + 2 + 8) + 2;
    ASSERT_EQ(bytes[method + 1], 1);
    bytes[method + 1] = 2;
    ExpectReading(bytes, block, MessageNoExif, "construction method 2");
    EXPECT_EQ(FindIn(bytes).finding, Finding::IsobmffItemNotLocated);
    bytes[method + 1] = 1;
    bytes[method + 3] = 1;  // data reference 1: another file
    ExpectReading(bytes, block, MessageNoExif, "data reference 1");
    bytes[method + 3] = 0;
    size_t idat = Find(bytes, "idat");
    bytes[idat] = 'x';
    ExpectReading(bytes, block, MessageNoExif, "method 1 without idat");
}

// meta inside meta inside meta ...: the walk goes down its fixed path only, so nesting costs one
// box header each at most.
TEST(HeifWalk, DeepNestingAndEndlessChainsStayBounded)
{
    Bytes nested = Box("iinf", {});
    for (int depth = 0; depth < 5000; ++depth)
        nested = Box(depth % 2 ? "meta" : "iloc", Concat({Bytes{0, 0, 0, 0}, nested}));
    Bytes bomb = Concat({FileTypeBox(), FullBox("meta", 0, nested)});
    ExpectReading(bomb, {}, MessageNoExif, "5000 nested boxes", 64);
    // A box that claims to be smaller than its header would never move the walk on.
    Bytes stuck = Concat({FileTypeBox(), Bytes{0, 0, 0, 4, 'f', 'r', 'e', 'e'}, HeifFile(RichBlock(Order::Big))});
    ExpectReading(stuck, {}, MessageNoExif, "size 4", 16);
}

}  // namespace
