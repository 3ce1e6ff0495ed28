// Which container the first bytes name, and the TIFF file, which is its own block.
//
//   JPEG                  0 FF D8                              jpeg_scan.cpp
//   TIFF, DNG, TIFF raw   0 "II" 2A 00 or "MM" 00 2A          the block starts at 0
//   PNG                   0 89 "PNG" 0D 0A 1A 0A               png_exif.cpp
//   WebP                  0 "RIFF", 4 size, 8 "WEBP"           webp_exif.cpp
//   HEIF, HEIC, AVIF      0 box size (big-endian), 4 "ftyp"    isobmff_exif.cpp
//   ORF                   0 "IIRO", "MMOR", "IIRS", "IISR"     orf_exif.cpp
//   RW2, RWL              0 "IIU" 00                           rw2_exif.cpp
//   RAF                   0 "FUJIFILMCCD-RAW "                 raf_exif.cpp
//   MRW                   0 00 "MRM"                           mrw_exif.cpp
#include "containers/exif_block.h"

#include <cstring>

#include "containers/container_fields.h"
#include "containers/file_type.h"

namespace {

constexpr uint8_t MarkerStartOfImage[2] = {0xFF, 0xD8};  // T.81, B.1.1.3: SOI
// TIFF 6.0, section 2: byte order, then 42 in that order.
constexpr uint8_t TiffLittle[4] = {'I', 'I', 0x2A, 0x00};
constexpr uint8_t TiffBig[4] = {'M', 'M', 0x00, 0x2A};
constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};  // PNG 1.2, 12.12
constexpr uint8_t Rw2Mark[4] = {'I', 'I', 'U', 0};
constexpr uint8_t MrwMark[4] = {0, 'M', 'R', 'M'};
constexpr uint8_t RafSignature[16] = {'F', 'U', 'J', 'I', 'F', 'I', 'L', 'M', 'C', 'C', 'D', '-', 'R', 'A', 'W', ' '};

// The rest of a signature whose first two bytes were read; the stream then lies past it.
bool RestMatches(ByteRange& file, const uint8_t* signature, uint32_t size)
{
    uint8_t rest[14] = {};
    return size - 2 <= sizeof rest && file.ReadAll(rest, size - 2) && std::memcmp(rest, signature + 2, size - 2) == 0;
}

// The file is the block: back to its first byte. Raw files that mark a TIFF header in their
// own way go to their finders.
ExifBlock FindTiffBlock(ByteRange& file, const uint8_t (&start)[2])
{
    uint8_t mark[4] = {start[0], start[1]};
    if (!file.ReadAll(mark + 2, 2))
        return Refused(Finding::UnknownStart);
    if (std::memcmp(mark, TiffLittle, sizeof mark) == 0 || std::memcmp(mark, TiffBig, sizeof mark) == 0)
        return file.Move(-int64_t{sizeof mark}) ? ExifBlock{Finding::Found, 0} : Refused(Finding::BlockPastEnd);
    if (IsOrfMark(mark))
        return FindOrfBlock(file);
    if (std::memcmp(mark, Rw2Mark, sizeof mark) == 0)
        return FindRw2Exif(file);
    return Refused(Finding::UnknownStart);
}

// ISO/IEC 14496-12, 4.3: the file begins with its file type box; a size below 64 KiB begins
// with two zero bytes. Its brands say whether the file is a picture, and of which kind; the
// finder goes on past the box's 8-byte header.
ExifBlock FindIsobmffBlock(ByteRange& file)
{
    uint8_t header[8] = {};
    if (!file.ReadAll(header + 2, 6) || BigEndian32(header + 4) != Name("ftyp"))
        return Refused(Finding::UnknownStart);
    switch (KindOfBrands(file, BigEndian32(header))) {
    case BrandKind::Image:
        return FindIsobmffExif(file, BigEndian32(header));
    case BrandKind::CanonRaw:
        return FindCr3Exif(file, BigEndian32(header));
    default:
        return Refused(Finding::UnknownStart);  // a movie or another file of boxes
    }
}

// WebP container, "RIFF file format": "RIFF", the size of what follows it, "WEBP".
ExifBlock FindRiffBlock(ByteRange& file)
{
    uint8_t header[12] = {'R', 'I'};
    if (!file.ReadAll(header + 2, 10) || BigEndian32(header) != Name("RIFF") || BigEndian32(header + 8) != Name("WEBP"))
        return Refused(Finding::UnknownStart);
    return FindWebpExif(file, LittleEndian32(header + 4));
}

}  // namespace

ExifBlock FindExifBlock(ImageStream& stream)
{
    ByteRange file(stream, 0);
    uint8_t start[2] = {};  // what a one-byte file leaves out reads as zero
    uint32_t delivered = 0;
    if (!file.ReadSome(start, sizeof start, &delivered))
        return Refused(Finding::NothingToRead);
    if (std::memcmp(start, MarkerStartOfImage, sizeof start) == 0)
        return ScanJpeg(file);
    if (std::memcmp(start, TiffLittle, 2) == 0 || std::memcmp(start, TiffBig, 2) == 0)
        return FindTiffBlock(file, start);
    if (std::memcmp(start, PngSignature, 2) == 0)
        return RestMatches(file, PngSignature, sizeof PngSignature) ? FindPngExif(file) : Refused(Finding::UnknownStart);
    if (start[0] == 'R' && start[1] == 'I')
        return FindRiffBlock(file);
    if (start[0] == 0 && start[1] == 0)
        return FindIsobmffBlock(file);
    if (std::memcmp(start, MrwMark, 2) == 0)
        return RestMatches(file, MrwMark, sizeof MrwMark) ? FindMrwExif(file) : Refused(Finding::UnknownStart);
    if (std::memcmp(start, RafSignature, 2) == 0)
        return RestMatches(file, RafSignature, sizeof RafSignature) ? FindRafExif(file) : Refused(Finding::UnknownStart);
    return Refused(Finding::UnknownStart);
}
