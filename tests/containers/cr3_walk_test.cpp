// CR3: IFD0 from CMT1, the Exif IFD from CMT2 with its own header, byte order and base; the
// Canon box found among others; what is missing, and cuts at every length.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/container_writer.h"
#include "support/finding.h"
#include "support/reading.h"
#include "support/twin_reading.h"

namespace {

const Bytes CanonUuid = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0, 0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};

Bytes Ifd0Structure(bool withExifPointer)
{
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Ascii(0x010F, "Canon").Ascii(0x0110, "Canon EOS 40D").Ascii(0x0132, "2008:07:31 10:38:11");
    if (withExifPointer)  // left over from the camera's own layout: points into CMT1, not at CMT2
        tiff.ifd0.AddPointer(0x8769, Target::ExifIfd), tiff.exifIfd.Short(0x8827, 1600);
    return tiff.Build();
}

Bytes ExifStructure()
{
    TiffBuilder tiff(Order::Big);
    tiff.ifd0.Rational(0x829A, 1, 160).Short(0x8827, 100).Ascii(0x9003, "2008:05:30 15:56:01");
    return tiff.Build();
}

// The JPEG twin's block: the same IFD0 and Exif IFD in one structure.
Bytes TwinBlock(bool withExif)
{
    TiffBuilder tiff(Order::Little);
    tiff.ifd0.Ascii(0x010F, "Canon").Ascii(0x0110, "Canon EOS 40D").Ascii(0x0132, "2008:07:31 10:38:11");
    if (withExif) {
        tiff.ifd0.AddPointer(0x8769, Target::ExifIfd);
        tiff.exifIfd.Rational(0x829A, 1, 160).Short(0x8827, 100).Ascii(0x9003, "2008:05:30 15:56:01");
    }
    return tiff.Build();
}

Bytes Brands(const char (&major)[5])
{
    return Box("ftyp", Concat({Bytes(major, major + 4), Bytes(4, 0), Bytes(major, major + 4), {'i', 's', 'o', 'm'}}));
}

Bytes Cr3(const Bytes& canonBoxes, const Bytes& uuid = CanonUuid)
{
    Bytes other = Box("uuid", Concat({Bytes(16, 0xEE), Box("CMT1", {'M', 'M'})}));  // another maker's box
    Bytes movie = Box("moov", Concat({Box("mvhd", Bytes(100, 0)), other, Box("uuid", Concat({uuid, canonBoxes}))}));
    return Concat({Brands("crx "), movie, Box("mdat", Bytes(64, 0x55))});
}

Bytes CanonBoxes(bool ifd0, bool exif, bool exifPointer = false)
{
    return Concat({Box("CNCV", Bytes(30, '0')), ifd0 ? Box("CMT1", Ifd0Structure(exifPointer)) : Bytes{},
                   exif ? Box("CMT2", ExifStructure()) : Bytes{}, Box("CMT3", TwinBlock(false)), Box("THMB", Bytes(40, 0))});
}

TEST(Cr3Walk, Ifd0ComesFromCmt1AndTheExifIfdFromCmt2)
{
    Bytes movie = Concat({Brands("isom"), Box("moov", Bytes(8, 0)), Box("mdat", Bytes(8, 0))});
    struct Case {
        const char* what;
        Bytes bytes;
        Bytes twin;
        TextId message;
        Finding finding;
    } cases[] = {
        {"both structures", Cr3(CanonBoxes(true, true)), TwinBlock(true), MessageOk, Finding::Found},
        {"CMT2 is read whatever IFD0 points at", Cr3(CanonBoxes(true, true, true)), TwinBlock(true), MessageOk, Finding::Found},
        {"no CMT2: IFD0 alone", Cr3(CanonBoxes(true, false)), TwinBlock(false), MessageOk, Finding::Found},
        {"no CMT1", Cr3(CanonBoxes(false, true)), {}, MessageNoExif, Finding::Cr3NoIfd0},
        {"no Canon uuid", Cr3(CanonBoxes(true, true), Bytes(16, 0x85)), {}, MessageNoExif, Finding::Cr3NoCanonBox},
        {"no moov", Concat({Brands("crx "), Box("mdat", Bytes(8, 0))}), {}, MessageNoExif, Finding::Cr3NoCanonBox},
        {"a movie is no photo", movie, {}, MessageNotJpeg, Finding::UnknownStart},
        {"an MP4 of brand mp42", Concat({Brands("mp42"), Box("moov", Bytes(8, 0))}), {}, MessageNotJpeg, Finding::UnknownStart},
        {"an image brand among compatible ones", Concat({Box("ftyp", Concat({Bytes{'i', 's', 'o', 'm', 0, 0, 0, 0, 'm', 'p', '4', '1', 'a', 'v', 'i', 'f'}})), Box("mdat", {})}),
         {}, MessageNoExif, Finding::IsobmffNoMeta},
    };
    for (const Case& c : cases) {
        ExpectReading(c.bytes, c.twin, c.message, c.what);
        EXPECT_EQ(FindIn(c.bytes).finding, c.finding) << c.what;
    }
}

// Cut anywhere: one message, and every value shown is the whole file's.
TEST(Cr3Walk, EveryCutShowsOnlyTheWholeFilesValues)
{
    const Bytes file = Cr3(CanonBoxes(true, true));
    Reading whole(file);
    ASSERT_TRUE(whole.ReadLocal());
    for (size_t kept = 0; kept < file.size(); ++kept) {
        for (bool remote : {false, true}) {
            Reading reading(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(kept)));
            remote ? reading.ReadRemote() : reading.ReadLocal();
            EXPECT_EQ(reading.stream.counters().reports, 1u) << kept;
            EXPECT_EQ(reading.stream.OpenHandles(), 0) << kept;
            for (size_t slot = 0; slot < sizeof whole.view.slots / sizeof whole.view.slots[0]; ++slot) {
                if (reading.view.slots[slot][0] != 0) {
                    EXPECT_EQ(std::memcmp(reading.view.slots[slot], whole.view.slots[slot], sizeof whole.view.slots[slot]), 0)
                        << kept << " slot " << slot;
                }
            }
        }
    }
}

}  // namespace
