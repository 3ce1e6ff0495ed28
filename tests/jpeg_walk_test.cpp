// The walk from the JPEG start to the maker note, and the one message every walk ends with.
#include <gtest/gtest.h>

#include "support/thread_error.h"
#include "support/reading.h"
#include "support/walk_log.h"

namespace {

constexpr uint16_t TagPrivateA = 0xE001;  // tags no interpreter row knows: the walk alone acts
constexpr uint16_t TagPrivateB = 0xE002;
constexpr uint16_t TagPrivateC = 0xE003;
constexpr uint32_t TiffBase = 12;         // of Jpeg({ExifSegment(tiff)})

Bytes Ifd0Only(Order order, int entries)
{
    TiffBuilder tiff(order);
    for (int i = 0; i < entries; ++i)
        tiff.ifd0.Long(static_cast<uint16_t>(TagPrivateA + i), static_cast<uint32_t>(i));
    return Jpeg({ExifSegment(tiff.Build())});
}

// Ends with the message, as the reader reported it and as the thread's error information says.
void ExpectMessage(Reading& reading, TextId id)
{
    EXPECT_EQ(reading.stream.counters().reports, 1u);
    EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(id));
    EXPECT_EQ(ThreadErrorText(), MessageText(id));
    EXPECT_EQ(reading.stream.OpenHandles(), 0);
}

TEST(JpegScan, EmptyFileCannotBeRead)
{
    Reading reading({});
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageCannotRead);
}

TEST(JpegScan, FailedOpenCannotBeRead)
{
    Reading reading(Ifd0Only(Order::Little, 1));
    reading.stream.faults.failFileOpen = true;
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageCannotRead);
    EXPECT_EQ(reading.stream.counters().fileReads, 0u);
}

TEST(JpegScan, UncachedRemotePictureCannotBeRead)
{
    Reading reading(Ifd0Only(Order::Little, 1));
    reading.stream.faults.failUrlOpen = true;
    EXPECT_FALSE(reading.ReadRemote());
    ExpectMessage(reading, MessageCannotRead);
    EXPECT_EQ(reading.stream.counters().internetCloses, 1u);  // the session alone
}

TEST(JpegScan, OtherStartIsNotJpeg)
{
    Reading reading({0xFF, 0xD9, 0xFF, 0xE1});
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNotJpeg);
}

TEST(JpegScan, SingleByteReadsAsZeroPaddedWord)
{
    Reading reading({0xFF});
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNotJpeg);
}

TEST(JpegScan, NoApp1SegmentMeansNoExif)
{
    Reading reading(Jpeg({Segment(0xE0, Bytes(14, 0x11)), Segment(0xDB, Bytes(5, 0x22))}));
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNoExif);
}

TEST(JpegScan, HeaderCutShortMeansNoExif)
{
    Reading reading({0xFF, 0xD8, 0xFF, 0xE1, 0x00});
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNoExif);
}

TEST(JpegScan, SkipsSegmentsBeforeApp1ByTheirLength)
{
    Bytes app0 = Segment(0xE0, Bytes(14, 0x11));
    Bytes comment = Segment(0xFE, Bytes(3, 0xE1));
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Long(TagPrivateA, 7);
    Reading reading(Jpeg({app0, comment, ExifSegment(tiff.Build())}));
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    std::vector<uint32_t> headers = ReadPositions(reading.stream, 4);
    ASSERT_GE(headers.size(), 3u);
    EXPECT_EQ(headers[0], 2u);
    EXPECT_EQ(headers[1], 2u + 18);
    EXPECT_EQ(headers[2], 2u + 18 + 7);
    EXPECT_EQ(ReadPositions(reading.stream, 12), std::vector<uint32_t>{TiffBase + 18 + 7 + 10});
}

TEST(JpegScan, LengthBelowTwoMovesBack)
{
    Reading reading({0xFF, 0xD8, 0xFF, 0x01, 0x00, 0x01, 0xFF, 0xE1, 0x00});
    EXPECT_FALSE(reading.ReadLocal());
    std::vector<uint32_t> headers = ReadPositions(reading.stream, 4);
    // 2 + 4 + (1 - 2) = 5, where 01 FF E1 00 is no APP1 but a length of E1 00.
    EXPECT_EQ(headers, (std::vector<uint32_t>{2, 5, 9 + 0xE100 - 2}));
    ExpectMessage(reading, MessageNoExif);
}

TEST(JpegScan, ZeroRunEndsTheScanWithinItsLength)
{
    Bytes bytes(2 + 4000, 0);
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
    Reading reading(bytes);
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNoExif);
    // Length 0 moves back 2 after reading 4: two bytes forward per step.
    EXPECT_EQ(reading.stream.counters().fileMoves, 1999u);
}

TEST(JpegScan, LongChainOfEmptySegmentsIsBounded)
{
    Bytes bytes{0xFF, 0xD8};
    for (int i = 0; i < 20000; ++i)
        bytes.insert(bytes.end(), {0xFF, 0xFE, 0x00, 0x02});
    Reading reading(bytes);
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNoExif);
    EXPECT_EQ(reading.stream.counters().fileMoves, 20000u);
}

TEST(JpegScan, FailedSkipMeansNoExif)
{
    Reading reading(Jpeg({Segment(0xE0, Bytes(4, 0)), ExifSegment(TiffBuilder(Order::Little).Build())}));
    reading.stream.faults.failMoveNumber = 1;
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNoExif);
}

TEST(JpegScan, FirstApp1DecidesEvenWhenExifFollows)
{
    Bytes other = Segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/'});
    Reading reading(Jpeg({other, ExifSegment(TiffBuilder(Order::Little).Build())}));
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNoExif);
}

TEST(ExifIdentifier, AllSixBytesAreCompared)
{
    Bytes bytes = Ifd0Only(Order::Little, 0);
    bytes[11] = 0x01;  // "Exif" 00 01
    Reading reading(bytes);
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNoExif);
}

TEST(ExifIdentifier, DataEndingBeforeTheZeroBytesPassesAsZeros)
{
    Bytes bytes = Ifd0Only(Order::Little, 0);
    bytes.resize(10);  // ends after "Exif"
    Reading reading(bytes);
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageBadData);
}

TEST(ExifIdentifier, NothingAfterTheSegmentHeaderMeansNoExif)
{
    Bytes bytes = Ifd0Only(Order::Little, 0);
    bytes.resize(6);
    Reading reading(bytes);
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageNoExif);
}

TEST(TiffHeader, IdentificationOtherThan42IsAccepted)
{
    TiffBuilder tiff(Order::Little);
    tiff.identification = 43;
    Reading reading(Jpeg({ExifSegment(tiff.Build())}));
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
}

TEST(TiffHeader, MixedByteOrderIsBadData)
{
    TiffBuilder tiff(Order::Little);
    tiff.byteOrderMark[0] = 'M';
    tiff.byteOrderMark[1] = 'I';
    Reading reading(Jpeg({ExifSegment(tiff.Build())}));
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageBadData);
}

TEST(TiffHeader, BigEndianSetsTheFlagAndConvertsOffsetAndCount)
{
    TiffBuilder tiff(Order::Big);
    tiff.hasIfd0Offset = true;
    tiff.ifd0Offset = 8;
    tiff.ifd0.Long(TagPrivateA, 1).Long(TagPrivateB, 2);
    Reading reading(Jpeg({ExifSegment(tiff.Build())}));
    EXPECT_TRUE(reading.ReadLocal());
    EXPECT_EQ(reading.view.isLittleEndian, 0);
    EXPECT_EQ(ReadPositions(reading.stream, 12), (std::vector<uint32_t>{TiffBase + 10, TiffBase + 22}));
    EXPECT_EQ(reading.view.entry.tag, TagPrivateB);
    EXPECT_EQ(reading.view.entry.valueOffset, 2u);
}

TEST(TiffHeader, Ifd0BeyondTheEndIsBadData)
{
    TiffBuilder tiff(Order::Little);
    tiff.hasIfd0Offset = true;
    tiff.ifd0Offset = 5000;
    Reading reading(Jpeg({ExifSegment(tiff.Build())}));
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageBadData);
}

TEST(TiffHeader, Ifd0AtTwoGibibytesIsBadData)
{
    TiffBuilder tiff(Order::Little);
    tiff.hasIfd0Offset = true;
    tiff.ifd0Offset = 0x80000000u - TiffBase;  // target exactly 2 GiB
    Reading reading(Jpeg({ExifSegment(tiff.Build())}));
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageBadData);
}

TEST(TiffHeader, Ifd0OffsetWrapsBelowTheBase)
{
    TiffBuilder tiff(Order::Little);
    tiff.hasIfd0Offset = true;
    tiff.ifd0Offset = 0xFFFFFFFEu;  // base - 2: the count is the identifier's two zero bytes
    Reading reading(Jpeg({ExifSegment(tiff.Build())}));
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    std::vector<ReadAt> reads = Reads(reading.stream);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back(), (ReadAt{TiffBase - 2, 2, 2}));
}

TEST(TiffHeader, Ifd0BeforeTheBeginningIsBadData)
{
    TiffBuilder tiff(Order::Little);
    tiff.hasIfd0Offset = true;
    tiff.ifd0Offset = 0xFFFFFFF0u;  // base - 16 lies before the first byte
    Reading reading(Jpeg({ExifSegment(tiff.Build())}));
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageBadData);
}

TEST(Ifd0Pass, EmptyDirectoryOnFreshRecordEndsOkWithEmptySlots)
{
    Reading reading(Ifd0Only(Order::Little, 0));
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    EXPECT_TRUE(ReadPositions(reading.stream, 12).empty());
    for (int slot = 0; slot < SlotCount; ++slot)
        EXPECT_EQ(reading.view.slots[slot][0], 0) << "slot " << slot;
}

TEST(Ifd0Pass, DirectoryClaimingMoreEndsQuietly)
{
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Long(TagPrivateA, 1).ClaimCount(65535);
    Bytes bytes = Jpeg({ExifSegment(tiff.Build())});
    bytes.resize(TiffBase + 10 + 12 + 5);  // one entry and 5 bytes of the next
    Reading reading(bytes);
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    // Start, segment header, identifier, TIFF header, offset, count; the entry and the one the
    // file ends in, and none of the other claimed ones.
    EXPECT_EQ(reading.stream.counters().fileReads, 6u + 2);
}

TEST(Ifd0Pass, EntryCutShortEndsTheDirectoryAndTheWalkGoesOn)
{
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Long(TagPrivateA, 0x11111111).Long(TagPrivateB, 0x22222222).Long(TagPrivateC, 3);
    Bytes bytes = Jpeg({ExifSegment(tiff.Build())});
    bytes.resize(TiffBase + 10 + 12 + 6);  // entry 2 ends inside its count
    Reading reading(bytes);
    EXPECT_TRUE(reading.ReadLocal());
    std::vector<ReadAt> reads = Reads(reading.stream);
    ASSERT_EQ(reads.size(), 6u + 2);
    EXPECT_EQ(reads[7].delivered, 6u);
}

TEST(ExifIfdPass, WalkedAfterIfd0WhenTheOffsetIsRecorded)
{
    TiffBuilder tiff(Order::Big);
    tiff.ifd0.Long(TagPrivateA, 1);
    tiff.exifIfd.Long(TagPrivateB, 2).Long(TagPrivateC, 3);
    TiffLayout layout;
    Reading reading(Jpeg({ExifSegment(tiff.Build(&layout))}));
    reading.view.exifIfdOffset = layout.exifIfd;
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    uint32_t exif = TiffBase + layout.exifIfd;
    EXPECT_EQ(ReadPositions(reading.stream, 12),
              (std::vector<uint32_t>{TiffBase + 10, exif + 2, exif + 14}));
    EXPECT_EQ(reading.view.entry.tag, TagPrivateC);
}

TEST(ExifIfdPass, UnreachableDirectoryIsBadData)
{
    Reading reading(Ifd0Only(Order::Little, 1));
    reading.view.exifIfdOffset = 0x7FFFFFF0;  // base + offset at 2 GiB and beyond
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageBadData);
}

TEST(ExifIfdPass, DirectoryBeyondTheEndIsBadData)
{
    Reading reading(Ifd0Only(Order::Little, 1));
    reading.view.exifIfdOffset = 4000;
    EXPECT_FALSE(reading.ReadLocal());
    ExpectMessage(reading, MessageBadData);
}

TEST(ExifIfdPass, OffsetWrapsBelowTheBase)
{
    Reading reading(Ifd0Only(Order::Little, 1));
    reading.view.exifIfdOffset = 0xFFFFFFFEu;
    EXPECT_TRUE(reading.ReadLocal());
    std::vector<ReadAt> reads = Reads(reading.stream);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back(), (ReadAt{TiffBase - 2, 2, 2}));
}

TiffBuilder FujifilmFile(Order order)
{
    TiffBuilder tiff(order);
    tiff.ifd0.Long(TagPrivateA, 1);
    tiff.exifIfd.Long(TagPrivateB, 2);
    tiff.makerNote.Long(TagPrivateC, 0x01020304).Add(TagPrivateA, 2, 6, {'n', 'o', 't', 'e', '!', 0});
    return tiff;
}

TEST(MakerNotePass, AlwaysLittleEndianInABigEndianFile)
{
    TiffLayout layout;
    Reading reading(Jpeg({ExifSegment(FujifilmFile(Order::Big).Build(&layout))}));
    reading.view.exifIfdOffset = layout.exifIfd;
    reading.view.makerNoteOffset = layout.makerNote;
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    uint32_t note = TiffBase + layout.makerNote;
    std::vector<uint32_t> entries = ReadPositions(reading.stream, 12);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2], note + 14);
    EXPECT_EQ(entries[3], note + 26);
    EXPECT_EQ(reading.view.isLittleEndian, 1);
    EXPECT_EQ(reading.view.entry.tag, TagPrivateA);
    EXPECT_EQ(reading.view.entry.count, 6u);
    // Value offsets in the note count from its first byte.
    std::vector<uint32_t> fetches = ReadPositions(reading.stream, 6);  // the identifier, then the value
    ASSERT_EQ(fetches.size(), 2u);
    EXPECT_EQ(fetches[1], note + 12 + 2 + 2 * 12 + 4);
}

TEST(MakerNotePass, RecordedInIfd0IsWalkedAfterTheExifIfd)
{
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Long(TagPrivateA, 1);
    tiff.exifIfd.Long(TagPrivateB, 2);
    tiff.makerNote.Long(TagPrivateC, 3);
    TiffLayout layout;
    Reading reading(Jpeg({ExifSegment(tiff.Build(&layout))}));
    reading.view.exifIfdOffset = layout.exifIfd;
    reading.view.makerNoteOffset = layout.makerNote;
    EXPECT_TRUE(reading.ReadLocal());
    EXPECT_EQ(ReadPositions(reading.stream, 12),
              (std::vector<uint32_t>{TiffBase + 10, TiffBase + layout.exifIfd + 2, TiffBase + layout.makerNote + 14}));
}

TEST(MakerNotePass, OtherMakersAreIgnored)
{
    TiffBuilder tiff = FujifilmFile(Order::Little);
    tiff.makerNoteIdentifier = "Nikon";
    TiffLayout layout;
    Reading reading(Jpeg({ExifSegment(tiff.Build(&layout))}));
    reading.view.exifIfdOffset = layout.exifIfd;
    reading.view.makerNoteOffset = layout.makerNote;
    EXPECT_TRUE(reading.ReadLocal());
    ExpectMessage(reading, MessageOk);
    EXPECT_EQ(ReadPositions(reading.stream, 12).size(), 2u);
    EXPECT_EQ(ReadPositions(reading.stream, 8), std::vector<uint32_t>{TiffBase + layout.makerNote});
}

TEST(MakerNotePass, EveryFailureInsideStillEndsOk)
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
