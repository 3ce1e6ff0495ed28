// Which container the first bytes name, TIFF files, PNG chunks and WebP chunks: where the block
// is found, and each way the walk ends without one.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/container_writer.h"
#include "support/finding.h"
#include "support/reading.h"
#include "support/twin_reading.h"
#include "support/walk_log.h"

namespace {

// A file, the message its reading ends with and the step of the finder that decided.
struct FindingCase {
    const char* what;
    Bytes bytes;
    TextId message;
    Finding finding;
};

template <size_t N>
void ExpectFindings(const FindingCase (&cases)[N], const Bytes& block)
{
    for (const FindingCase& c : cases) {
        ExpectReading(c.bytes, block, c.message, c.what);
        EXPECT_EQ(FindIn(c.bytes).finding, c.finding) << c.what;
    }
}

TEST(ContainerStart, FirstBytesNameTheContainer)
{
    Bytes block = RichBlock(Order::Little);
    const FindingCase cases[] = {
        {"GIF", {'G', 'I', 'F', '8', '9', 'a'}, MessageNotJpeg, Finding::UnknownStart},
        {"II without 42", {'I', 'I', 0x2B, 0x00, 8, 0, 0, 0}, MessageNotJpeg, Finding::UnknownStart},  // BigTIFF
        {"MM without 42", {'M', 'M', 0x2A, 0x00}, MessageNotJpeg, Finding::UnknownStart},
        {"II 42 alone", {'I', 'I', 0x2A, 0x00}, MessageBadData, Finding::Found},
        {"PNG signature cut", {0x89, 'P', 'N', 'G', 0x0D, 0x0A}, MessageNotJpeg, Finding::UnknownStart},
        {"PNG signature alone", PngSignature(), MessageNoExif, Finding::PngNoExifChunk},
        {"RIFF of another kind", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, MessageNotJpeg, Finding::UnknownStart},
        {"RI then no F", {'R', 'I', 'X', 'F', 4, 0, 0, 0, 'W', 'E', 'B', 'P'}, MessageNotJpeg, Finding::UnknownStart},
        {"box that is not ftyp", Box("moov", Bytes(8, 0)), MessageNotJpeg, Finding::UnknownStart},
        {"ftyp alone", FileTypeBox(), MessageNoExif, Finding::IsobmffNoMeta},
        {"ftyp of size 1", {0, 0, 0, 1, 'f', 't', 'y', 'p', 0, 0, 0, 0, 0, 0, 0, 16}, MessageNoExif, Finding::IsobmffNoMeta},
        {"zero bytes", Bytes(12, 0), MessageNotJpeg, Finding::UnknownStart},
        {"empty file", {}, MessageCannotRead, Finding::NothingToRead},
    };
    ExpectFindings(cases, block);
}

// Each finder names where the block itself begins, identifier or not, whatever lies before it.
TEST(ContainerStart, EachFinderNamesTheBlocksFirstByte)
{
    Bytes block = RichBlock(Order::Big, true);
    PngOptions png;
    png.exifIdentifier = true;
    WebpOptions webp;
    webp.exifIdentifier = true;
    HeifOptions heif;
    heif.inItemData = true;
    const Bytes files[] = {Jpeg({ExifSegment(block)}), TiffFile(block), PngFile(block), PngFile(block, png),
                           WebpFile(block), WebpFile(block, webp), HeifFile(block), HeifFile(block, heif)};
    for (const Bytes& file : files) {
        ExifBlock found = FindIn(file);
        ASSERT_EQ(found.finding, Finding::Found) << file.size();
        ASSERT_LE(found.tiffStart + block.size(), file.size());
        EXPECT_TRUE(std::equal(block.begin(), block.end(), file.begin() + found.tiffStart)) << found.tiffStart;
    }
}

// XMP and other APP1 segments before the Exif one are skipped; the first Exif APP1 is read.
TEST(ContainerStart, JpegExifIsTheFirstApp1ThatCarriesIt)
{
    Bytes block = RichBlock(Order::Little);
    Bytes xmp = Segment(0xE1, Concat({Bytes{'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0}, Bytes(40, 'x')}));
    Bytes almost = Segment(0xE1, {'E', 'x', 'i', 'f', 0, 1, 'I', 'I'});
    TiffBuilder other(Order::Big);
    other.ifd0.Ascii(0x010F, "Second segment");
    Bytes otherBlock = other.Build();
    const FindingCase cases[] = {
        {"XMP then Exif", Jpeg({Segment(0xE0, Bytes(14, 0)), xmp, ExifSegment(block)}), MessageOk, Finding::Found},
        {"Exif then XMP", Jpeg({ExifSegment(block), xmp}), MessageOk, Finding::Found},
        {"two others then Exif", Jpeg({almost, xmp, ExifSegment(block), ExifSegment(otherBlock)}), MessageOk, Finding::Found},
        {"short APP1 then Exif", Jpeg({Segment(0xE1, {'E'}), ExifSegment(block)}), MessageOk, Finding::Found},
        {"XMP and no Exif", Jpeg({xmp, Segment(0xDB, Bytes(5, 0))}), MessageNoExif, Finding::JpegApp1NotExif},
        {"Exif behind the image data", Jpeg({xmp, Segment(0xDA, Bytes(4, 0)), ExifSegment(block)}), MessageNoExif,
         Finding::JpegApp1NotExif},
    };
    ExpectFindings(cases, block);
}

TEST(ContainerStart, JpegReadsExactlyAsBeforeCallForCall)
{
    // The walk's first read is still the 2-byte start; a JPEG makes no call of the finders.
    Reading reading(Jpeg({ExifSegment(RichBlock(Order::Big))}));
    ASSERT_TRUE(reading.ReadLocal());
    std::vector<ReadAt> reads = Reads(reading.stream);
    ASSERT_GE(reads.size(), 3u);
    EXPECT_EQ(reads[0], (ReadAt{0, 2, 2}));
    EXPECT_EQ(reads[1], (ReadAt{2, 4, 4}));
    EXPECT_EQ(reads[2], (ReadAt{6, 6, 6}));
    EXPECT_EQ(reads[3], (ReadAt{12, 4, 4}));
}

TEST(ContainerStart, TiffFilesAreTheirOwnBlockInBothByteOrders)
{
    for (Order order : {Order::Little, Order::Big}) {
        Bytes block = RichBlock(order);
        ExpectReading(TiffFile(block), block, MessageOk, order == Order::Little ? "II" : "MM");
        Reading reading(TiffFile(block));
        reading.ReadLocal();
        std::vector<ReadAt> reads = Reads(reading.stream);
        EXPECT_EQ(reads[2], (ReadAt{0, 4, 4})) << "the walk reads the header again from 0";
    }
}

TEST(PngChunks, ExifIsFoundBeforeOrAfterTheImageData)
{
    for (Order order : {Order::Little, Order::Big}) {
        Bytes block = RichBlock(order, true);
        for (bool after : {false, true})
            for (bool identifier : {false, true}) {
                PngOptions o;
                o.exifAfterImage = after, o.exifIdentifier = identifier;
                ExpectReading(PngFile(block, o), block, MessageOk,
                              std::string(after ? "after" : "before") + (identifier ? " with identifier" : ""));
            }
    }
}

TEST(PngChunks, WalksEndAtIendAtTheEndOrAtImpossibleLengths)
{
    Bytes block = RichBlock(Order::Little);
    Bytes header = PngChunk("IHDR", Bytes(13, 0));
    Bytes tooLong = PngChunk("tEXt", {'a'});
    PutBig32(tooLong, 0, 0x80000000);
    struct Case {
        const char* what;
        Bytes bytes;
        Finding finding;
    } cases[] = {
        {"no eXIf", PngFile({}), Finding::PngNoExifChunk},
        {"eXIf after IEND", Concat({PngSignature(), header, PngChunk("IEND", {}), PngChunk("eXIf", block)}), Finding::PngNoExifChunk},
        {"no IEND, no eXIf", Concat({PngSignature(), header}), Finding::PngNoExifChunk},
        {"chunk of 2 GiB", Concat({PngSignature(), tooLong, PngChunk("eXIf", block)}), Finding::PngNoExifChunk},
        {"chunk header cut", Concat({PngSignature(), header, Bytes{0, 0, 0}}), Finding::PngNoExifChunk},
        {"eXIf past the end", Concat({PngSignature(), Bytes{0, 0, 0, 0, 'e', 'X', 'I', 'f'}}), Finding::BlockPastEnd},
    };
    for (const Case& c : cases) {
        ExpectReading(c.bytes, block, MessageNoExif, c.what);
        EXPECT_EQ(FindIn(c.bytes).finding, c.finding) << c.what;
    }
}

TEST(WebpChunks, ExifIsFoundWithOrWithoutIdentifierAndOfOddLength)
{
    for (bool odd : {false, true})
        for (bool identifier : {false, true})
            for (bool oddBefore : {false, true}) {
                Bytes block = RichBlock(odd ? Order::Big : Order::Little, odd);
                WebpOptions o;
                o.exifIdentifier = identifier, o.oddChunkBefore = oddBefore;
                ExpectReading(WebpFile(block, o), block, MessageOk,
                              std::string(odd ? "odd" : "even") + (identifier ? " identifier" : "") +
                                  (oddBefore ? " after an odd chunk" : ""));
            }
}

TEST(WebpChunks, SimpleFilesAndChunksPastTheRiffEndHaveNoExif)
{
    Bytes block = RichBlock(Order::Little);
    WebpOptions simple;
    simple.extended = false;
    Bytes shortRiff = WebpFile(block);
    shortRiff[4] = 20, shortRiff[5] = shortRiff[6] = shortRiff[7] = 0;  // ends inside VP8L
    Bytes hugeChunk = WebpFile(block);
    size_t exif = Find(hugeChunk, "EXIF");
    hugeChunk[exif + 7] = 0x7F;  // EXIF of almost 2 GiB, past the RIFF's end
    Bytes noPadding = WebpFile(block);
    size_t extra = Find(noPadding, "XTRA");
    noPadding.erase(noPadding.begin() + static_cast<std::ptrdiff_t>(extra + 8 + 3));  // odd chunk unpadded
    struct Case {
        const char* what;
        Bytes bytes;
        Finding finding;
    } cases[] = {
        {"simple lossless file", WebpFile(block, simple), Finding::WebpSimpleFormat},
        {"no EXIF chunk", WebpFile({}), Finding::WebpNoExifChunk},
        {"RIFF ends before EXIF", shortRiff, Finding::WebpNoExifChunk},
        {"EXIF past the RIFF end", hugeChunk, Finding::WebpNoExifChunk},
        {"odd chunk without padding", noPadding, Finding::WebpNoExifChunk},
    };
    for (const Case& c : cases) {
        ExpectReading(c.bytes, block, MessageNoExif, c.what);
        EXPECT_EQ(FindIn(c.bytes).finding, c.finding) << c.what;
    }
}

}  // namespace

namespace {

// Cut at every length, locally and remotely: one message, nothing left open, never a hang.
TEST(ContainerTruncation, EveryPrefixOfEveryContainerEndsWithOneMessage)
{
    Bytes block = RichBlock(Order::Big);
    HeifOptions itemData;
    itemData.inItemData = true;
    const Bytes files[] = {TiffFile(block), PngFile(block), WebpFile(block), HeifFile(block), HeifFile(block, itemData)};
    for (const Bytes& file : files) {
        for (size_t kept = 0; kept <= file.size(); ++kept) {
            for (bool remote : {false, true}) {
                Reading reading(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(kept)));
                bool ok = remote ? reading.ReadRemote() : reading.ReadLocal();
                EXPECT_EQ(reading.stream.counters().reports, 1u) << "kept " << kept;
                EXPECT_EQ(reading.stream.OpenHandles(), 0) << "kept " << kept;
                // A cut directory count can claim 65535 entries, as in a cut JPEG.
                EXPECT_LE(reading.stream.CallCount(), 3u * 65535u * 5u + 200u) << "kept " << kept;
                EXPECT_TRUE(ok || kept < file.size()) << "the whole file reads";
            }
        }
    }
}

}  // namespace
