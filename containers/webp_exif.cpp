// WebP: the chunks of a RIFF "WEBP" file; only the extended format (first chunk "VP8X") can
// carry metadata, in its "EXIF" chunk.
//
//   0  4  "RIFF"         chunk   0  4  name
//   4  4  size, LE               4  4  size of the payload, little-endian
//   8  4  "WEBP"                 8     payload, padded to an even length
//   12    chunks                 EXIF payload: the TIFF block, possibly behind "Exif" 00 00
//
// WebP container: "RIFF file format" for the header, the chunk form and its padding; "Extended
// file format" for VP8X first and the EXIF chunk.
#include <cstdint>

#include "containers/container_fields.h"
#include "containers/finding.h"

namespace {

constexpr uint32_t ChunkExtended = Name("VP8X");
constexpr uint32_t ChunkExif = Name("EXIF");
constexpr uint32_t RiffHeaderSize = 8;  // "RIFF" and the size, which the size doesn't count

}  // namespace

// Every chunk ends within the RIFF size; every step moves forward by at least 8 bytes.
ExifBlock FindWebpExif(ByteRange& file, uint32_t riffSize)
{
    ByteRange riff = file;
    if (!file.Part(0, uint64_t{RiffHeaderSize} + riffSize, &riff))
        riff = file;  // a size beyond what a stream reaches: the rest of the walk never gets there
    for (bool isFirst = true;; isFirst = false) {
        uint8_t header[8] = {};
        if (!riff.ReadAll(header, sizeof header))
            return Refused(Finding::WebpNoExifChunk);
        uint32_t name = BigEndian32(header), size = LittleEndian32(header + 4);
        if (isFirst && name != ChunkExtended)
            return Refused(Finding::WebpSimpleFormat);  // the simple formats hold the image alone
        if (size > riff.Left())
            return Refused(Finding::WebpNoExifChunk);
        if (name == ChunkExif)
            return StepOverExifIdentifier(riff);
        if (!riff.Move(int64_t{size} + size % 2))
            return Refused(Finding::WebpNoExifChunk);
    }
}
