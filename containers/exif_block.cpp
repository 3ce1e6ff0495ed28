// Which container the first bytes name, and the TIFF file, which is its own block.
//
//   JPEG                  0 FF D8                              jpeg_scan.cpp
//   TIFF, DNG, TIFF raw   0 "II" 2A 00 or "MM" 00 2A          the block starts at 0
//   PNG                   0 89 "PNG" 0D 0A 1A 0A               png_exif.cpp
//   WebP                  0 "RIFF", 4 size, 8 "WEBP"           webp_exif.cpp
//   HEIF, HEIC, AVIF      0 box size (big-endian), 4 "ftyp"    isobmff_exif.cpp
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

// The rest of a signature whose first two bytes were read; the stream then lies past it.
bool RestMatches(ByteRange& file, const uint8_t* signature, uint32_t size)
{
    uint8_t rest[6] = {};
    return size - 2 <= sizeof rest && file.ReadAll(rest, size - 2) && std::memcmp(rest, signature + 2, size - 2) == 0;
}

// The file is the block: back to its first byte.
ExifBlock FindTiffBlock(ByteRange& file, const uint8_t* signature)
{
    if (!RestMatches(file, signature, sizeof TiffLittle))
        return Refused(Finding::UnknownStart);
    return file.Move(-int64_t{sizeof TiffLittle}) ? ExifBlock{Finding::Found, 0} : Refused(Finding::BlockPastEnd);
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
        return FindTiffBlock(file, start[0] == 'I' ? TiffLittle : TiffBig);
    if (std::memcmp(start, PngSignature, 2) == 0)
        return RestMatches(file, PngSignature, sizeof PngSignature) ? FindPngExif(file) : Refused(Finding::UnknownStart);
    if (start[0] == 'R' && start[1] == 'I')
        return FindRiffBlock(file);
    if (start[0] == 0 && start[1] == 0)
        return FindIsobmffBlock(file);
    return Refused(Finding::UnknownStart);
}
