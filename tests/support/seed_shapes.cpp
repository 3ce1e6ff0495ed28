// A few dozen shapes: every known tag in both byte orders, the maker note, each way a walk can
// fail, and the odd layouts (zero lengths, fill bytes, truncated directories, wrapped offsets).
#include "support/seed_shapes.h"

#include <cstdint>

#include "record/field_type.h"

namespace {

constexpr uint16_t TagExifIfd = 0x8769, TagMakerNote = 0x927C;

Bytes SignedRational(const IfdBuilder& ifd, int32_t numerator, int32_t denominator)
{
    return Concat({ifd.Encode32(static_cast<uint32_t>(numerator)), ifd.Encode32(static_cast<uint32_t>(denominator))});
}

void AddIfd0Tags(IfdBuilder& ifd)
{
    ifd.Ascii(0x000B, "Editor 1.0")
        .Ascii(0x010E, "A description that is rather longer than one slot can hold in full.")
        .Ascii(0x010F, "Maker")
        .Ascii(0x0110, "Model 100")
        .Ascii(0x0131, "Firmware 2")
        .Ascii(0x0132, "2003:01:15 10:20:30")
        .Ascii(0x013B, "Someone")
        .Ascii(0x8298, "Nobody in particular")
        .AddPointer(TagExifIfd, Target::ExifIfd);
}

void AddExifTags(IfdBuilder& ifd)
{
    ifd.Rational(0x829A, 10, 1250)
        .Rational(0x829D, 28, 10)
        .Short(0x8822, 2)
        .Short(0x8827, 200)
        .Add(0x9000, TypeUndefined, 4, {'0', '2', '2', '0'})
        .Ascii(0x9003, "2003:01:15 10:20:30")
        .Ascii(0x9004, "2003:01:15 10:20:31")
        .Rational(0x9102, 3, 2)
        .Add(0x9201, TypeSignedRational, 1, SignedRational(ifd, 7, 1))
        .Rational(0x9202, 5, 1)
        .Add(0x9203, TypeSignedRational, 1, SignedRational(ifd, 523, 100))
        .Add(0x9204, TypeSignedRational, 1, SignedRational(ifd, -2, 3))
        .Rational(0x9205, 3, 1)
        .Add(0x9206, TypeSignedRational, 1, SignedRational(ifd, 25, 10))
        .Short(0x9207, 5)
        .Short(0x9208, 1)
        .Short(0x9209, 89)
        .Rational(0x920A, 58, 10)
        .AddPointer(TagMakerNote, Target::MakerNote)
        .Short(0xA002, 1600)
        .Long(0xA003, 1200)
        .Ascii(0xA004, "SOUND001.WAV")
        .Rational(0xA215, 400, 1)
        .Short(0xA401, 1)
        .Short(0xA402, 2)
        .Short(0xA403, 0)
        .Rational(0xA404, 150, 100)
        .Short(0xA405, 35)
        .Short(0xA406, 3)
        .Short(0xA408, 1)
        .Short(0xA409, 2)
        .Short(0xA40A, 0)
        .Short(0xA40C, 2);
}

void AddMakerNoteTags(IfdBuilder& ifd)
{
    ifd.Ascii(0x1000, "NORMAL ")
        .Short(0x1001, 3)
        .Short(0x1002, 768)
        .Short(0x1003, 256)
        .Short(0x1004, 512)
        .Short(0x1010, 3)
        .Add(0x1011, TypeSignedRational, 1, SignedRational(ifd, 1, 3))
        .Short(0x1020, 1)
        .Short(0x1021, 0)
        .Short(0x1030, 1)
        .Short(0x1031, 256)
        .Short(0x1100, 1)
        .Short(0x1300, 1)
        .Short(0x1301, 0)
        .Short(0x1302, 1);
}

Bytes EveryTag(Order order)
{
    TiffBuilder tiff(order);
    AddIfd0Tags(tiff.ifd0);
    AddExifTags(tiff.exifIfd);
    AddMakerNoteTags(tiff.makerNote);
    return Jpeg({Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 2}), ExifSegment(tiff.Build())});
}

Bytes Minimal(Order order) { return Jpeg({ExifSegment(TiffBuilder(order).Build())}); }

// Values that the formatting rules find hard: zeros, extremes, lengths around 63.
Bytes ExtremeValues(Order order)
{
    TiffBuilder tiff(order);
    tiff.ifd0.Ascii(0x010F, std::string(62, 'M')).Ascii(0x0110, std::string(63, 'N')).AddPointer(TagExifIfd, Target::ExifIfd);
    IfdBuilder& exif = tiff.exifIfd;
    exif.Rational(0x829A, 0, 0)
        .Rational(0x829D, 0xFFFFFFFF, 0)
        .Add(0x9201, TypeSignedRational, 1, SignedRational(exif, 0x7FFFFFFF, 1))
        .Rational(0x9202, 0xFFFFFFFF, 1)
        .Add(0x9203, TypeSignedRational, 1, SignedRational(exif, INT32_MIN, -1))
        .Add(0x9204, TypeSignedRational, 1, SignedRational(exif, 0, 0))
        .Rational(0x9205, 1000, 1)
        .Rational(0x9102, 1, 0)
        .Rational(0xA215, 7, 0)
        .Rational(0x920A, 0xFFFFFFFF, 3)
        .Rational(0xA404, 1, 0)
        .Long(0xA002, 0x80000000)
        .Long(0xA003, 0xFFFFFFFF)
        .Long(0xA003, 0xFFFFFFFF)
        .Long(0xA003, 0xFFFFFFFF)
        .Long(0xA003, 0xFFFFFFFF)
        .Long(0xA003, 0xFFFFFFFF)
        .Long(0xA003, 0xFFFFFFFF)
        .Short(0xA402, 2)
        .Short(0xA402, 2)
        .Short(0xA402, 2)
        .Short(0xA402, 2)
        .Short(0xA402, 2)
        .Short(0xA402, 2);
    return Jpeg({ExifSegment(tiff.Build())});
}

// Entries of odd types and counts: type 0 and 13, SHORT count 3, count 64, wrapped sizes.
Bytes OddEntries(Order order)
{
    TiffBuilder tiff(order);
    IfdBuilder& ifd = tiff.ifd0;
    ifd.AddRaw(0x010F, 0, 5, 0)
        .AddRaw(0x0110, 13, 100, 8)
        .Add(0x0131, TypeShort, 3, {0, 1, 0, 2, 0, 3})
        .Add(0x0132, TypeAscii, 64, Bytes(64, 'x'))
        .AddRaw(0x013B, TypeRational, 0x20000001, 8)      // 8 x count wraps to 8
        .AddRaw(0x8298, TypeAscii, 20, 0xFFFFFFF0)         // the value lies before the data
        .Add(0x010E, TypeByte, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
        .Add(0x9000, TypeUndefined, 2, {'0', '2'})
        .Add(0x829A, TypeRational, 2, Bytes(16, 1))
        .Add(0xA002, TypeShort, 2, {1, 2, 3, 4})
        .AddRaw(TagExifIfd, TypeLong, 1, 0xFFFFFFF8);      // wraps to a place before the base
    return Jpeg({ExifSegment(tiff.Build())});
}

// A directory that claims more entries than the data holds.
Bytes TruncatedDirectory(Order order, uint16_t claimed)
{
    TiffBuilder tiff(order);
    tiff.ifd0.Ascii(0x010F, "Maker").Short(0x8827, 100).ClaimCount(claimed);
    return Jpeg({ExifSegment(tiff.Build())});
}

Bytes NotFujiMakerNote(Order order)
{
    TiffBuilder tiff(order);
    tiff.ifd0.AddPointer(TagExifIfd, Target::ExifIfd);
    tiff.exifIfd.AddPointer(TagMakerNote, Target::MakerNote);
    AddMakerNoteTags(tiff.makerNote);
    tiff.makerNoteIdentifier = "NIKON";
    return Jpeg({ExifSegment(tiff.Build())});
}

// The maker note and the Exif IFD both named by IFD0, and pointers to themselves.
Bytes PointersEverywhere(Order order)
{
    TiffBuilder tiff(order);
    tiff.ifd0.AddPointer(TagMakerNote, Target::MakerNote).AddPointer(TagExifIfd, Target::ExifIfd);
    tiff.exifIfd.AddPointer(TagExifIfd, Target::ExifIfd).Short(0x9209, 1);
    tiff.makerNote.AddPointer(TagMakerNote, Target::MakerNote).Short(0x1030, 1).Short(0x1010, 0);
    return Jpeg({ExifSegment(tiff.Build())});
}

Bytes WithIfd0Offset(uint32_t offset)
{
    TiffBuilder tiff(Order::Little);
    tiff.hasIfd0Offset = true;
    tiff.ifd0Offset = offset;
    tiff.ifd0.Short(0x8827, 100);
    return Jpeg({ExifSegment(tiff.Build())});
}

Bytes WithByteOrderMark(char first, char second)
{
    TiffBuilder tiff(Order::Little);
    tiff.byteOrderMark[0] = first;
    tiff.byteOrderMark[1] = second;
    return Jpeg({ExifSegment(tiff.Build())});
}

Bytes ExifIfdBeyondEnd()
{
    TiffBuilder tiff(Order::Big);
    tiff.ifd0.AddRaw(TagExifIfd, TypeLong, 1, 0x00100000);
    return Jpeg({ExifSegment(tiff.Build())});
}

}  // namespace

std::vector<SeedShape> SeedShapes()
{
    Bytes tiff = TiffBuilder(Order::Little).Build();
    Bytes exifPayload = Concat({Bytes{'E', 'x', 'i', 'f', 0, 0}, tiff});
    Bytes wrongIdentifier = Concat({Bytes{'E', 'x', 'i', 'f', 0, 1}, tiff});
    std::vector<SeedShape> shapes = {
        {"empty", {}, MessageCannotRead},
        {"one_byte", {0xFF}, MessageNotJpeg},
        {"not_jpeg", {'G', 'I', 'F', '8', '9', 'a', 0x01, 0x00}, MessageNotJpeg},
        {"start_only", {0xFF, 0xD8}, MessageNoExif},
        {"no_app1", Jpeg({Segment(0xE0, Bytes(14, 'J')), Segment(0xDB, Bytes(65, 1)), Bytes{0xFF, 0xD9}}), MessageNoExif},
        {"zero_tail", Jpeg({Segment(0xE0, Bytes(4, 'J')), Bytes(32, 0)}), MessageNoExif},
        {"fill_bytes", Jpeg({Bytes{0xFF, 0xFF, 0x00, 0x02}, Segment(0xE1, exifPayload)}), MessageOk},
        {"fill_bytes_all", Jpeg({Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Segment(0xE1, exifPayload)}), MessageNoExif},
        {"zero_length_segment", Jpeg({Bytes{0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xE0, 0x00, 0x01}, Segment(0xE1, exifPayload)}), MessageNoExif},
        {"app1_not_exif", Jpeg({Segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 0}), Segment(0xE1, exifPayload)}), MessageOk},  // the Exif APP1 behind it is read
        {"exif_00_01", Jpeg({Segment(0xE1, wrongIdentifier)}), MessageNoExif},
        {"header_cut", Jpeg({Bytes{0xFF, 0xE0, 0x00}}), MessageNoExif},
        {"identifier_only", Jpeg({Segment(0xE1, {'E', 'x', 'i', 'f', 0, 0})}), MessageBadData},
        {"byte_order_mi", WithByteOrderMark('M', 'I'), MessageBadData},
        {"ifd0_beyond_end", WithIfd0Offset(0x10000), MessageBadData},
        {"ifd0_before_base", WithIfd0Offset(0xFFFFFF00), MessageBadData},
        {"ifd0_at_header", WithIfd0Offset(0), MessageOk},
        {"exif_ifd_beyond_end", ExifIfdBeyondEnd(), MessageBadData},
        {"minimal_ii", Minimal(Order::Little), MessageOk},
        {"minimal_mm", Minimal(Order::Big), MessageOk},
        {"every_tag_ii", EveryTag(Order::Little), MessageOk},
        {"every_tag_mm", EveryTag(Order::Big), MessageOk},
        {"extreme_values_ii", ExtremeValues(Order::Little), MessageOk},
        {"extreme_values_mm", ExtremeValues(Order::Big), MessageOk},
        {"odd_entries_ii", OddEntries(Order::Little), MessageOk},
        {"odd_entries_mm", OddEntries(Order::Big), MessageOk},
        {"truncated_directory_ii", TruncatedDirectory(Order::Little, 65535), MessageOk},
        {"truncated_directory_mm", TruncatedDirectory(Order::Big, 3), MessageOk},
        {"maker_note_not_fuji_ii", NotFujiMakerNote(Order::Little), MessageOk},
        {"maker_note_not_fuji_mm", NotFujiMakerNote(Order::Big), MessageOk},
        {"pointers_everywhere_ii", PointersEverywhere(Order::Little), MessageOk},
        {"pointers_everywhere_mm", PointersEverywhere(Order::Big), MessageOk},
    };
    AddContainerShapes(shapes, EveryTag(Order::Little), EveryTag(Order::Big));
    return shapes;
}
