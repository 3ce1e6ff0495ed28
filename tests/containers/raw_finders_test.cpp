// Camera raw files: which marks lead to which finder, and each way a raw layout leads nowhere.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "support/finding.h"
#include "support/reading.h"
#include "support/twin_reading.h"

namespace {

Bytes Raw(const std::string& name)
{
    std::ifstream file(std::string(ORVANE_SAMPLES_DIR) + "/raw/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Bytes With(Bytes bytes, size_t at, const std::string& replacement)
{
    std::memcpy(&bytes[at], replacement.data(), replacement.size());
    return bytes;
}

Bytes WithBig32(Bytes bytes, size_t at, uint32_t value)
{
    PutBig32(bytes, at, value);
    return bytes;
}

std::string Little32(uint32_t value) { return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)}; }

// Where the RW2 sample's JpgFromRaw entry lies: IFD0 at 24, its count, then the ninth entry.
constexpr size_t Rw2JpegEntry = 24 + 2 + 8 * 12;
constexpr size_t RafJpegOffset = 84;

TEST(RawFinders, MarksAndLayoutsThatLeadNowhere)
{
    const Bytes raf = Raw("Fujifilm_FinePix6900ZOOM.raf"), mrw = Raw("Fujifilm_FinePix6900ZOOM.mrw");
    const Bytes rw2 = Raw("Nikon_D70.rw2"), orf = Raw("Olympus_C8080WZ.orf");
    ASSERT_EQ(rw2[Rw2JpegEntry], 0x2E);
    const size_t mrwTiff = Find(mrw, "\0TTW") + 8;
    struct Case {
        const char* what;
        Bytes bytes;
        Finding finding;
        TextId message;
        size_t tiffStart;  // where the block begins, when found
    } cases[] = {
        {"ORF IIRS", With(orf, 2, "RS"), Finding::Found, MessageOk, 0},
        {"ORF IISR", With(orf, 2, "SR"), Finding::Found, MessageOk, 0},
        {"II of no kind", With(orf, 2, "RX"), Finding::UnknownStart, MessageNotJpeg, 0},
        {"RW2 mark with 1", With(rw2, 3, "\1"), Finding::UnknownStart, MessageNotJpeg, 0},
        {"RW2 without JpgFromRaw: its own IFD0", With(rw2, Rw2JpegEntry, "\x2F"), Finding::Found, MessageOk, 0},
        {"RW2 JPEG that ends before its APP1", With(rw2, Rw2JpegEntry + 4, Little32(4)), Finding::JpegNoApp1, MessageNoExif, 0},
        {"RW2 JPEG offset past the end", With(rw2, Rw2JpegEntry + 8, Little32(0x10000)), Finding::RawJpegOutside, MessageNoExif, 0},
        {"RW2 JPEG offset at no FF D8", With(rw2, Rw2JpegEntry + 8, Little32(24)), Finding::RawJpegOutside, MessageNoExif, 0},
        {"RW2 IFD0 past the end", With(rw2, 4, Little32(0x10000)), Finding::BlockPastEnd, MessageNoExif, 0},
        {"RAF signature off by one byte", With(raf, 15, "_"), Finding::UnknownStart, MessageNotJpeg, 0},
        {"RAF JPEG offset past the end", WithBig32(raf, RafJpegOffset, 0x10000), Finding::RawJpegOutside, MessageNoExif, 0},
        {"RAF JPEG that ends in its APP1", WithBig32(raf, RafJpegOffset + 4, 8), Finding::JpegApp1NotExif, MessageNoExif, 0},
        {"RAF header cut before the JPEG's place", Bytes(raf.begin(), raf.begin() + 90), Finding::RawJpegOutside, MessageNoExif, 0},
        {"MRW MRX", With(mrw, 3, "X"), Finding::UnknownStart, MessageNotJpeg, 0},
        {"MRW block longer than MRM", WithBig32(mrw, Find(mrw, "\0PRD") + 4, 0x10000), Finding::MrwNoTiffBlock, MessageNoExif, 0},
        {"MRW MRM ends before TTW", WithBig32(mrw, 4, 8 + 0x18), Finding::MrwNoTiffBlock, MessageNoExif, 0},
        {"MRW without TTW", With(mrw, mrwTiff - 7, "TTX"), Finding::MrwNoTiffBlock, MessageNoExif, 0},
        {"MRW", mrw, Finding::Found, MessageOk, mrwTiff},
    };
    for (const Case& c : cases) {
        ExifBlock found = FindIn(c.bytes);
        EXPECT_EQ(found.finding, c.finding) << c.what;
        EXPECT_EQ(found.tiffStart, c.tiffStart) << c.what;
        Reading reading(c.bytes);
        EXPECT_EQ(reading.ReadLocal(), c.message == MessageOk) << c.what;
        EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(c.message)) << c.what;
        EXPECT_EQ(reading.stream.counters().reports, 1u) << c.what;
    }
}

}  // namespace
