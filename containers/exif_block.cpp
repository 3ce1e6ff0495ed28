// Which container the first bytes name, the TIFF file (which is its own block), and the
// helpers that the container finders share.
//
//   TIFF, DNG, TIFF raw   0 "II" 2A 00 or "MM" 00 2A          the block starts at 0
//   PNG                   0 89 "PNG" 0D 0A 1A 0A               png_exif.cpp
//   WebP                  0 "RIFF", 4 size, 8 "WEBP"           webp_exif.cpp
//   HEIF, HEIC, AVIF      0 box size (big-endian), 4 "ftyp"    isobmff_exif.cpp
#include <cstring>

#include "containers/exif_block.h"

namespace {

constexpr uint8_t ExifIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint8_t TiffLittle[4] = {'I', 'I', 0x2A, 0x00};
constexpr uint8_t TiffBig[4] = {'M', 'M', 0x00, 0x2A};

// The rest of a signature whose first two bytes were read; the stream then lies past it.
bool RestMatches(ViewRecord& view, const uint8_t* signature, uint32_t size)
{
    uint8_t rest[12] = {};
    return ReadAll(view, rest, size - 2) && std::memcmp(rest, signature + 2, size - 2) == 0;
}

// The file is the block: back to its first byte.
TextId FindTiffBlock(ViewRecord& view, const uint8_t* signature)
{
    if (!RestMatches(view, signature, sizeof TiffLittle))
        return MessageNotJpeg;
    return view.Seek(-static_cast<int32_t>(sizeof TiffLittle), FromCurrent) ? Proceed : MessageNoExif;
}

// Box size 00 00 .. .., then "ftyp".
TextId FindIsobmffBlock(ViewRecord& view)
{
    uint8_t header[8] = {};
    if (!ReadAll(view, header + 2, 6) || BigEndian32(header + 4) != Name("ftyp"))
        return MessageNotJpeg;
    return FindIsobmffExif(view, BigEndian32(header));
}

// "RIFF", the size of what follows it, "WEBP".
TextId FindRiffBlock(ViewRecord& view)
{
    static constexpr uint8_t Riff[12] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
    uint8_t header[12] = {'R', 'I'};
    if (!ReadAll(view, header + 2, 10) || std::memcmp(header, Riff, 4) != 0 || std::memcmp(header + 8, Riff + 8, 4) != 0)
        return MessageNotJpeg;
    return FindWebpExif(view, LittleEndian32(header + 4));
}

}  // namespace

TextId FindExifBlock(ViewRecord& view, const uint8_t (&start)[2])
{
    static constexpr uint8_t Png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(start, TiffLittle, 2) == 0)
        return FindTiffBlock(view, TiffLittle);
    if (std::memcmp(start, TiffBig, 2) == 0)
        return FindTiffBlock(view, TiffBig);
    if (std::memcmp(start, Png, 2) == 0)
        return RestMatches(view, Png, sizeof Png) ? FindPngExif(view) : MessageNotJpeg;
    if (start[0] == 'R' && start[1] == 'I')
        return FindRiffBlock(view);
    // A file type box is far shorter than 64 KiB: its size begins with two zero bytes.
    if (start[0] == 0 && start[1] == 0)
        return FindIsobmffBlock(view);
    return MessageNotJpeg;
}

bool ReadAll(ViewRecord& view, void* destination, uint32_t size)
{
    uint32_t delivered = 0;
    return view.ReadBytes(destination, size, &delivered) && delivered == size;
}

uint32_t BigEndian32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

uint32_t LittleEndian32(const uint8_t* bytes)
{
    return uint32_t{bytes[3]} << 24 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[1]} << 8 | bytes[0];
}

bool Advance(uint32_t start, uint64_t distance, uint32_t limit, uint32_t* end)
{
    if (start > limit || distance > uint64_t{limit} - start)
        return false;
    *end = static_cast<uint32_t>(start + distance);
    return true;
}

TextId StepOverExifIdentifier(ViewRecord& view)
{
    uint8_t identifier[6] = {};
    uint32_t delivered = 0;
    if (!view.ReadBytes(identifier, sizeof identifier, &delivered))
        return MessageNoExif;  // the payload lies past the end of the file
    if (delivered == sizeof identifier && std::memcmp(identifier, ExifIdentifier, sizeof identifier) == 0)
        return Proceed;
    return view.Seek(-static_cast<int32_t>(delivered), FromCurrent) ? Proceed : MessageNoExif;
}
