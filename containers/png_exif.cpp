// PNG: chunks after the 8-byte signature, each skipped by its length, up to the "eXIf" chunk
// (before or after the image data) or "IEND".
//
//   chunk   0  4  length of the data, big-endian (PNG 1.2, 3.2: at most 2^31 - 1)
//           4  4  type
//           8     data (eXIf, PNG extensions 1.5.0, 3.7: the TIFF block, possibly behind
//                 "Exif" 00 00)
//           +length  4  CRC, not checked
#include <cstdint>

#include "containers/container_fields.h"
#include "containers/finding.h"

namespace {

constexpr uint32_t ChunkExif = Name("eXIf");
constexpr uint32_t ChunkEnd = Name("IEND");  // PNG 1.2, 4.1.4: the last chunk
constexpr uint32_t ChunkCrcSize = 4;

}  // namespace

// Every step moves forward by at least 12 bytes, so the walk ends at the end of the file, or at
// the largest position a stream can reach.
ExifBlock FindPngExif(ByteRange& file)
{
    for (;;) {
        uint8_t header[8] = {};
        if (!file.ReadAll(header, sizeof header))
            return Refused(Finding::PngNoExifChunk);
        uint32_t type = BigEndian32(header + 4);
        if (type == ChunkExif)
            return StepOverExifIdentifier(file);
        if (type == ChunkEnd || !file.Move(int64_t{BigEndian32(header)} + ChunkCrcSize))
            return Refused(Finding::PngNoExifChunk);
    }
}
