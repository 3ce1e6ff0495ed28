// The walk from the JPEG start to the maker note, and the one message every walk ends with.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/finding.h"
#include "support/reading.h"
#include "support/thread_error.h"
#include "support/walk_log.h"

namespace {

constexpr uint16_t TagPrivateA = 0xE001;  // tags no interpreter row knows: the walk alone acts
constexpr uint16_t TagPrivateB = 0xE002;
constexpr uint16_t TagPrivateC = 0xE003;
constexpr uint32_t TiffBase = 12;         // of Jpeg({ExifSegment(tiff)})
constexpr int Unchecked = -1;

Bytes Ifd0Only(Order order, int entries)
{
    TiffBuilder tiff(order);
    for (int i = 0; i < entries; ++i)
        tiff.ifd0.Long(static_cast<uint16_t>(TagPrivateA + i), static_cast<uint32_t>(i));
    return Jpeg({ExifSegment(tiff.Build())});
}

// A JPEG whose TIFF header is changed by `change` before it is built.
template <typename Change>
Bytes WithTiff(Change change)
{
    TiffBuilder tiff(Order::Little);
    change(tiff);
    return Jpeg({ExifSegment(tiff.Build())});
}

Bytes WithIfd0Offset(uint32_t offset)
{
    return WithTiff([offset](TiffBuilder& tiff) {
        tiff.hasIfd0Offset = true;
        tiff.ifd0Offset = offset;
    });
}

Bytes Cut(Bytes bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

Bytes Changed(Bytes bytes, size_t at, uint8_t value)
{
    bytes[at] = value;
    return bytes;
}

// Ends with the message, as the reader reported it and as the thread's error information says.
void ExpectMessage(Reading& reading, TextId id, const std::string& what = "")
{
    EXPECT_EQ(reading.stream.counters().reports, 1u) << what;
    EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(id)) << what;
    EXPECT_EQ(ThreadErrorText(), MessageText(id)) << what;
    EXPECT_EQ(reading.stream.OpenHandles(), 0) << what;
}

enum class Fault { None, FileOpen, UrlOpen, FirstMove };

TEST(WalkMessages, EachWayOutEndsWithItsMessage)
{
    TiffBuilder mixed(Order::Little);
    mixed.byteOrderMark[0] = 'M';
    mixed.byteOrderMark[1] = 'I';
    const struct {
        const char* what;
        Bytes bytes;
        Fault fault;
        uint32_t exifIfdOffset;  // as an earlier walk (or IFD0) left it
        TextId message;
        Finding finding;
        int fileReads, internetCloses;
    } cases[] = {
        {"empty file cannot be read", {}, Fault::None, 0, MessageCannotRead, Finding::NothingToRead, Unchecked, Unchecked},
        {"failed open cannot be read", Ifd0Only(Order::Little, 1), Fault::FileOpen, 0, MessageCannotRead, Finding::Found, 0, Unchecked},
        {"uncached remote picture cannot be read", Ifd0Only(Order::Little, 1), Fault::UrlOpen, 0, MessageCannotRead,
         Finding::Found, Unchecked, 1},  // the session alone is closed
        {"other start is not JPEG", {0xFF, 0xD9, 0xFF, 0xE1}, Fault::None, 0, MessageNotJpeg, Finding::UnknownStart, Unchecked, Unchecked},
        {"single byte reads as zero-padded word", {0xFF}, Fault::None, 0, MessageNotJpeg, Finding::UnknownStart, Unchecked, Unchecked},
        {"no APP1 segment means no Exif", Jpeg({Segment(0xE0, Bytes(14, 0x11)), Segment(0xDB, Bytes(5, 0x22))}),
         Fault::None, 0, MessageNoExif, Finding::JpegNoApp1, Unchecked, Unchecked},
        {"header cut short means no Exif", {0xFF, 0xD8, 0xFF, 0xE1, 0x00}, Fault::None, 0, MessageNoExif,
         Finding::JpegNoApp1, Unchecked, Unchecked},
        {"failed skip means no Exif", Jpeg({Segment(0xE0, Bytes(4, 0)), ExifSegment(TiffBuilder(Order::Little).Build())}),
         Fault::FirstMove, 0, MessageNoExif, Finding::Found, Unchecked, Unchecked},
        {"identifier: all six bytes are compared", Changed(Ifd0Only(Order::Little, 0), 11, 0x01), Fault::None, 0,
         MessageNoExif, Finding::JpegApp1NotExif, Unchecked, Unchecked},  // "Exif" 00 01
        {"identifier: data ending before the zero bytes passes as zeros", Cut(Ifd0Only(Order::Little, 0), 10),
         Fault::None, 0, MessageBadData, Finding::Found, Unchecked, Unchecked},
        {"identifier: nothing after the segment header means no Exif", Cut(Ifd0Only(Order::Little, 0), 6), Fault::None,
         0, MessageNoExif, Finding::JpegApp1NotExif, Unchecked, Unchecked},
        {"TIFF identification other than 42 is accepted", WithTiff([](TiffBuilder& tiff) { tiff.identification = 43; }),
         Fault::None, 0, MessageOk, Finding::Found, Unchecked, Unchecked},
        {"mixed byte order is bad data", Jpeg({ExifSegment(mixed.Build())}), Fault::None, 0, MessageBadData,
         Finding::Found, Unchecked, Unchecked},
        {"IFD0 beyond the end is bad data", WithIfd0Offset(5000), Fault::None, 0, MessageBadData, Finding::Found,
         Unchecked, Unchecked},
        {"IFD0 at 2 GiB is bad data", WithIfd0Offset(0x80000000u - TiffBase), Fault::None, 0, MessageBadData,
         Finding::Found, Unchecked, Unchecked},
        {"IFD0 before the beginning is bad data", WithIfd0Offset(0xFFFFFFF0u), Fault::None, 0, MessageBadData,
         Finding::Found, Unchecked, Unchecked},  // base - 16
        {"unreachable Exif IFD is bad data", Ifd0Only(Order::Little, 1), Fault::None, 0x7FFFFFF0, MessageBadData,
         Finding::Found, Unchecked, Unchecked},  // base + offset at 2 GiB and beyond
        {"Exif IFD beyond the end is bad data", Ifd0Only(Order::Little, 1), Fault::None, 4000, MessageBadData,
         Finding::Found, Unchecked, Unchecked},
    };
    for (const auto& c : cases) {
        Reading reading(c.bytes);
        reading.view.exifIfdOffset = c.exifIfdOffset;
        reading.stream.faults.failFileOpen = c.fault == Fault::FileOpen;
        reading.stream.faults.failUrlOpen = c.fault == Fault::UrlOpen;
        reading.stream.faults.failMoveNumber = c.fault == Fault::FirstMove ? 1 : 0;
        const bool isOk = c.fault == Fault::UrlOpen ? reading.ReadRemote() : reading.ReadLocal();
        EXPECT_EQ(isOk, c.message == MessageOk) << c.what;
        ExpectMessage(reading, c.message, c.what);
        EXPECT_EQ(FindIn(c.bytes).finding, c.finding) << c.what;
        if (c.fileReads != Unchecked) {
            EXPECT_EQ(reading.stream.counters().fileReads, static_cast<uint32_t>(c.fileReads)) << c.what;
        }
        if (c.internetCloses != Unchecked) {
            EXPECT_EQ(reading.stream.counters().internetCloses, static_cast<uint32_t>(c.internetCloses)) << c.what;
        }
    }
}

Bytes EmptySegments(int count)
{
    Bytes bytes{0xFF, 0xD8};
    for (int i = 0; i < count; ++i)
        bytes.insert(bytes.end(), {0xFF, 0xFE, 0x00, 0x02});
    return bytes;
}

Bytes ZeroRun(size_t size)
{
    Bytes bytes(2 + size, 0);
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
    return bytes;
}

// Where the scan reads segment headers, and how often it moves; every step moves forward.
TEST(JpegScan, SegmentHeadersAreReadWhereTheLengthsLead)
{
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Long(TagPrivateA, 7);
    const Bytes skipped = Jpeg({Segment(0xE0, Bytes(14, 0x11)), Segment(0xFE, Bytes(3, 0xE1)), ExifSegment(tiff.Build())});
    const struct {
        const char* what;
        Bytes bytes;
        std::vector<uint32_t> headers;  // the 4-byte reads, or the first of them
        bool isEveryHeader;
        std::vector<uint32_t> entries;  // the 12-byte reads
        int moves;
        TextId message;
    } cases[] = {
        {"segments before APP1 are skipped by their length", skipped, {2, 2 + 18, 2 + 18 + 7}, false,
         {TiffBase + 18 + 7 + 10}, Unchecked, MessageOk},
        // 2 + 4 + (1 - 2) = 5, where 01 FF E1 00 is no APP1 but a length of E1 00.
        {"a length below two moves back", {0xFF, 0xD8, 0xFF, 0x01, 0x00, 0x01, 0xFF, 0xE1, 0x00},
         {2, 5, 9 + 0xE100 - 2}, true, {}, Unchecked, MessageNoExif},
        // Length 0 moves back 2 after reading 4: two bytes forward per step.
        {"a zero run ends the scan within its length", ZeroRun(4000), {2, 4, 6}, false, {}, 1999, MessageNoExif},
        {"a long chain of empty segments is bounded", EmptySegments(20000), {2, 6, 10}, false, {}, 20000, MessageNoExif},
    };
    for (const auto& c : cases) {
        Reading reading(c.bytes);
        EXPECT_EQ(reading.ReadLocal(), c.message == MessageOk) << c.what;
        ExpectMessage(reading, c.message, c.what);
        std::vector<uint32_t> headers = ReadPositions(reading.stream, 4);
        if (!c.isEveryHeader)
            headers.resize(std::min(headers.size(), c.headers.size()));
        EXPECT_EQ(headers, c.headers) << c.what;
        EXPECT_EQ(ReadPositions(reading.stream, 12), c.entries) << c.what;
        if (c.moves != Unchecked) {
            EXPECT_EQ(reading.stream.counters().fileMoves, static_cast<uint32_t>(c.moves)) << c.what;
        }
    }
}

TiffBuilder FujifilmFile(Order order)
{
    TiffBuilder tiff(order);
    tiff.ifd0.Long(TagPrivateA, 1);
    tiff.exifIfd.Long(TagPrivateB, 2);
    tiff.makerNote.Long(TagPrivateC, 0x01020304).Add(TagPrivateA, 2, 6, {'n', 'o', 't', 'e', '!', 0});
    return tiff;
}

// IFD0, then the Exif IFD and the maker note when offsets were recorded: where each entry is
// read, the byte order the walk ends in, and the last entry it read.
TEST(DirectoryPasses, EntriesAreReadWhereEachPassLeads)
{
    TiffBuilder bigEndian(Order::Big);
    bigEndian.hasIfd0Offset = true;
    bigEndian.ifd0Offset = 8;
    bigEndian.ifd0.Long(TagPrivateA, 1).Long(TagPrivateB, 2);
    TiffBuilder twoPasses(Order::Big);
    twoPasses.ifd0.Long(TagPrivateA, 1);
    twoPasses.exifIfd.Long(TagPrivateB, 2).Long(TagPrivateC, 3);
    TiffBuilder threePasses(Order::Little);
    threePasses.ifd0.Long(TagPrivateA, 1);
    threePasses.exifIfd.Long(TagPrivateB, 2);
    threePasses.makerNote.Long(TagPrivateC, 3);
    TiffBuilder otherMaker = FujifilmFile(Order::Little);
    otherMaker.makerNoteIdentifier = "Nikon";
    const struct {
        const char* what;
        TiffBuilder tiff;
        bool walksExifIfd, walksNote;
        std::vector<uint32_t> entries;  // positions from the TIFF base; note entries from the note
        uint16_t lastTag;
        int64_t lastValue;  // the last entry's valueOffset, converted
        uint8_t isLittleEndian;
    } cases[] = {
        {"big-endian: the flag is cleared and offset and count converted", bigEndian, false, false, {10, 22},
         TagPrivateB, 2, 0},
        {"the Exif IFD is walked after IFD0 when its offset is recorded", twoPasses, true, false,
         {10, 0x10000 + 2, 0x10000 + 14}, TagPrivateC, 3, 0},
        {"a maker note recorded in IFD0 is walked after the Exif IFD", threePasses, true, true,
         {10, 0x10000 + 2, 0x20000 + 14}, TagPrivateC, 3, 1},
        {"the maker note is little-endian in a big-endian file", FujifilmFile(Order::Big), true, true,
         {10, 0x10000 + 2, 0x20000 + 14, 0x20000 + 26}, TagPrivateA, Unchecked, 1},
        {"other makers' notes are ignored", otherMaker, true, true, {10, 0x10000 + 2}, TagPrivateB, 2, 1},
    };
    for (const auto& c : cases) {
        TiffLayout layout;
        TiffBuilder tiff = c.tiff;
        Reading reading(Jpeg({ExifSegment(tiff.Build(&layout))}));
        reading.view.exifIfdOffset = c.walksExifIfd ? layout.exifIfd : 0;
        reading.view.makerNoteOffset = c.walksNote ? layout.makerNote : 0;
        EXPECT_TRUE(reading.ReadLocal()) << c.what;
        ExpectMessage(reading, MessageOk, c.what);
        // 0x10000 and 0x20000 stand for the Exif IFD and the maker note, whose places the layout tells.
        std::vector<uint32_t> expected;
        for (uint32_t at : c.entries)
            expected.push_back(TiffBase + (at >= 0x20000 ? layout.makerNote + at - 0x20000
                                           : at >= 0x10000 ? layout.exifIfd + at - 0x10000 : at));
        EXPECT_EQ(ReadPositions(reading.stream, 12), expected) << c.what;
        EXPECT_EQ(reading.view.entry.tag, c.lastTag) << c.what;
        if (c.lastValue != Unchecked) {
            EXPECT_EQ(reading.view.entry.valueOffset, c.lastValue) << c.what;
        }
        EXPECT_EQ(reading.view.isLittleEndian, c.isLittleEndian) << c.what;
    }
}

TEST(DirectoryPasses, MakerNoteValueOffsetsCountFromTheNote)
{
    TiffLayout layout;
    Reading reading(Jpeg({ExifSegment(FujifilmFile(Order::Big).Build(&layout))}));
    reading.view.exifIfdOffset = layout.exifIfd;
    reading.view.makerNoteOffset = layout.makerNote;
    EXPECT_TRUE(reading.ReadLocal());
    uint32_t note = TiffBase + layout.makerNote;
    EXPECT_EQ(reading.view.entry.count, 6u);
    std::vector<uint32_t> fetches = ReadPositions(reading.stream, 6);  // the identifier, then the value
    ASSERT_EQ(fetches.size(), 2u);
    EXPECT_EQ(fetches[1], note + 12 + 2 + 2 * 12 + 4);
    // A note of another maker is looked at (its 8-byte identifier) and no further.
    TiffBuilder other = FujifilmFile(Order::Little);
    other.makerNoteIdentifier = "Nikon";
    Reading nikon(Jpeg({ExifSegment(other.Build(&layout))}));
    nikon.view.exifIfdOffset = layout.exifIfd;
    nikon.view.makerNoteOffset = layout.makerNote;
    EXPECT_TRUE(nikon.ReadLocal());
    EXPECT_EQ(ReadPositions(nikon.stream, 8), std::vector<uint32_t>{TiffBase + layout.makerNote});
}

TEST(DirectoryPasses, EmptyIfd0OnAFreshRecordEndsOkWithEmptySlots)
{
    Reading reading(Ifd0Only(Order::Little, 0));
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    EXPECT_TRUE(ReadPositions(reading.stream, 12).empty());
    for (int slot = 0; slot < SlotCount; ++slot)
        EXPECT_EQ(reading.view.slots[slot][0], 0) << "slot " << slot;
}

// Offsets wrap at 2^32: base - 2 is the identifier's two zero bytes, read as a count of 0.
TEST(DirectoryPasses, OffsetsWrapBelowTheBase)
{
    const struct {
        const char* what;
        Bytes bytes;
        uint32_t exifIfdOffset;
    } cases[] = {
        {"IFD0", WithIfd0Offset(0xFFFFFFFEu), 0},
        {"Exif IFD", Ifd0Only(Order::Little, 1), 0xFFFFFFFEu},
    };
    for (const auto& c : cases) {
        Reading reading(c.bytes);
        reading.view.exifIfdOffset = c.exifIfdOffset;
        EXPECT_TRUE(reading.ReadLocal()) << c.what;
        ExpectMessage(reading, MessageOk, c.what);
        std::vector<ReadAt> reads = Reads(reading.stream);
        ASSERT_FALSE(reads.empty()) << c.what;
        EXPECT_EQ(reads.back(), (ReadAt{TiffBase - 2, 2, 2})) << c.what;
    }
}

TEST(DirectoryPasses, DirectoryClaimingMoreEndsQuietly)
{
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Long(TagPrivateA, 1).ClaimCount(65535);
    Reading reading(Cut(Jpeg({ExifSegment(tiff.Build())}), TiffBase + 10 + 12 + 5));  // one entry and 5 bytes
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    // Start, segment header, identifier, TIFF header, offset, count; the entry and the one the
    // file ends in, and none of the other claimed ones.
    EXPECT_EQ(reading.stream.counters().fileReads, 6u + 2);
}

TEST(DirectoryPasses, EntryCutShortEndsTheDirectoryAndTheWalkGoesOn)
{
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Long(TagPrivateA, 0x11111111).Long(TagPrivateB, 0x22222222).Long(TagPrivateC, 3);
    Reading reading(Cut(Jpeg({ExifSegment(tiff.Build())}), TiffBase + 10 + 12 + 6));  // entry 2 ends inside its count
    EXPECT_TRUE(reading.ReadLocal());
    std::vector<ReadAt> reads = Reads(reading.stream);
    ASSERT_EQ(reads.size(), 6u + 2);
    EXPECT_EQ(reads[7].delivered, 6u);
}

TEST(DirectoryPasses, EveryFailureInsideTheMakerNoteStillEndsOk)
{
    TiffLayout layout;
    Bytes good = Jpeg({ExifSegment(FujifilmFile(Order::Little).Build(&layout))});
    uint32_t note = TiffBase + layout.makerNote;
    // Move to the note fails; identifier, offset or count can't be read; directory unreachable.
    struct Case {
        uint32_t noteOffset;
        size_t keep;
        uint32_t directoryOffset;
    } cases[] = {
        {0x7FFFFFF0u, good.size(), 12},
        {layout.makerNote, note, 12},
        {layout.makerNote, note + 8, 12},
        {layout.makerNote, note + 12, 12},
        {layout.makerNote, good.size(), 0x80000000u},
    };
    for (const Case& c : cases) {
        Bytes bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(c.keep));
        for (int i = 0; i < 4; ++i)
            if (note + 8 + 4 <= bytes.size())
                bytes[note + 8 + static_cast<size_t>(i)] = static_cast<uint8_t>(c.directoryOffset >> (8 * i));
        Reading reading(bytes);
        reading.view.exifIfdOffset = layout.exifIfd;
        reading.view.makerNoteOffset = c.noteOffset;
        EXPECT_TRUE(reading.ReadLocal()) << "keep " << c.keep;
        ExpectMessage(reading, MessageOk);
        EXPECT_EQ(ReadPositions(reading.stream, 12).size(), 2u) << "keep " << c.keep;
    }
}

TEST(ErrorInformation, EveryOutcomeSetsItWithTheInterfaceId)
{
    struct Case {
        Bytes bytes;
        TextId id;
    } cases[] = {
        {{}, MessageCannotRead},
        {{0x00, 0x00}, MessageNotJpeg},
        {{0xFF, 0xD8}, MessageNoExif},
        {Jpeg({Segment(0xE1, {'E', 'x', 'i', 'f', 0, 0, 'X', 'X'})}), MessageBadData},
        {Ifd0Only(Order::Big, 2), MessageOk},
    };
    for (const Case& c : cases) {
        ClearThreadErrorInfo();
        Reading reading(c.bytes);
        EXPECT_EQ(reading.ReadLocal(), c.id == MessageOk);
        EXPECT_EQ(ThreadErrorText(), MessageText(c.id)) << "message " << c.id;
        EXPECT_EQ(std::string(reading.view.scratch), MessageText(c.id));
    }
    EXPECT_EQ(MessageText(MessageOk), "ok");
}

TEST(ErrorInformation, TextIsSetBeforeTheStreamCloses)
{
    Reading reading(Ifd0Only(Order::Little, 0));
    EXPECT_TRUE(reading.ReadLocal());
    const MemoryStream::LogEntry& last = reading.stream.LogAt(reading.stream.LogSize() - 1);
    EXPECT_EQ(last.call, MemoryStream::Call::FileClose);
    EXPECT_EQ(reading.stream.counters().reports, 1u);
}

}  // namespace
