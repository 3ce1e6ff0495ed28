// The containers around an Exif block: just enough of each format for a reader to find it (and
// a one-pixel image, so that a general reader takes the file as what it claims to be).
#include "support/container_writer.h"

#include <cstring>

namespace {

const Bytes ExifIdentifier = {'E', 'x', 'i', 'f', 0, 0};
// One grey pixel: a zlib stream for PNG, a lossless bitstream (17 bytes: an odd chunk) for WebP.
const Bytes PngPixel = {0x78, 0x9C, 0x63, 0x68, 0x00, 0x00, 0x00, 0x82, 0x00, 0x81};
const Bytes WebpPixel = {0x2F, 0x00, 0x00, 0x00, 0x00, 0x07, 0x50, 0xBF, 0xFA, 0xD5, 0xAF, 0xFF, 0x81, 0x88, 0xE8, 0x7F, 0x00};

Bytes NameBytes(const char (&name)[5]) { return Bytes(name, name + 4); }

Bytes LittleEndianBytes(uint32_t value)
{
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

uint32_t Crc32(const Bytes& bytes)
{
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

}  // namespace

Bytes BigEndianBytes(uint64_t value, uint32_t width)
{
    Bytes out(width);
    for (uint32_t i = 0; i < width; ++i)
        out[width - 1 - i] = static_cast<uint8_t>(value >> (8 * i));
    return out;
}

Bytes Box(const char (&name)[5], const Bytes& payload)
{
    return Concat({BigEndianBytes(8 + payload.size(), 4), NameBytes(name), payload});
}

Bytes FullBox(const char (&name)[5], uint8_t version, const Bytes& payload)
{
    return Box(name, Concat({Bytes{version, 0, 0, 0}, payload}));
}

Bytes FileTypeBox() { return Box("ftyp", Concat({NameBytes("heic"), Bytes(4, 0), NameBytes("mif1"), NameBytes("heic")})); }

Bytes PngSignature() { return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

Bytes PngChunk(const char (&name)[5], const Bytes& data)
{
    Bytes typed = Concat({NameBytes(name), data});
    return Concat({BigEndianBytes(data.size(), 4), typed, BigEndianBytes(Crc32(typed), 4)});
}

Bytes RiffChunk(const char (&name)[5], const Bytes& payload)
{
    Bytes out = Concat({NameBytes(name), LittleEndianBytes(static_cast<uint32_t>(payload.size())), payload});
    if (payload.size() % 2 != 0)
        out.push_back(0);
    return out;
}

Bytes ExifBlockOfJpeg(const Bytes& jpeg)
{
    size_t at = 2;
    while (jpeg.size() >= 2 && jpeg[0] == 0xFF && jpeg[1] == 0xD8 && at + 4 <= jpeg.size()) {
        size_t length = size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xE1) {
            size_t end = at + 2 + length < jpeg.size() ? at + 2 + length : jpeg.size();
            if (length < 8 || std::memcmp(&jpeg[at + 4], ExifIdentifier.data(), 6) != 0)
                return {};
            return Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(at + 10), jpeg.begin() + static_cast<std::ptrdiff_t>(end));
        }
        at += 2 + length;
    }
    return {};
}

Bytes PngFile(const Bytes& block, const PngOptions& options)
{
    Bytes header = {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0};  // 1 x 1, 8-bit grey
    Bytes exif = block.empty() ? Bytes{} : PngChunk("eXIf", options.exifIdentifier ? Concat({ExifIdentifier, block}) : block);
    Bytes image = PngChunk("IDAT", PngPixel);
    return Concat({PngSignature(), PngChunk("IHDR", header), options.exifAfterImage ? image : exif,
                   options.exifAfterImage ? exif : image, PngChunk("IEND", {})});
}

Bytes WebpFile(const Bytes& block, const WebpOptions& options)
{
    Bytes chunks;
    if (options.extended) {
        uint8_t flags = block.empty() ? 0 : 0x08;  // the Exif flag
        chunks = RiffChunk("VP8X", {flags, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // canvas 1 x 1
    }
    chunks = Concat({chunks, RiffChunk("VP8L", WebpPixel)});
    if (options.oddChunkBefore)
        chunks = Concat({chunks, RiffChunk("XTRA", {1, 2, 3})});
    if (!block.empty())
        chunks = Concat({chunks, RiffChunk("EXIF", options.exifIdentifier ? Concat({ExifIdentifier, block}) : block)});
    Bytes riff = Concat({NameBytes("WEBP"), chunks});
    return Concat({NameBytes("RIFF"), LittleEndianBytes(static_cast<uint32_t>(riff.size())), riff});
}
