// PNG: chunks after the 8-byte signature, each skipped by its length, up to the "eXIf" chunk
// (before or after the image data) or "IEND".
//
//   chunk   0  4  length of the data, big-endian (at most 2^31 - 1)
//           4  4  type
//           8     data (eXIf: the TIFF block, possibly behind "Exif" 00 00)
//           +length  4  CRC, not checked
#include <cstdint>

#include "containers/exif_block.h"

namespace {

constexpr uint32_t ChunkExif = Name("eXIf");
constexpr uint32_t ChunkEnd = Name("IEND");
constexpr uint32_t ChunkCrcSize = 4;
constexpr uint32_t ChunkHeaderSize = 8;

}  // namespace

// Every step moves forward by at least 12 bytes, so the walk ends at the end of the file, or
// at the largest position a stream can reach.
TextId FindPngExif(ViewRecord& view)
{
    uint32_t at = 8;
    for (;;) {
        uint8_t header[8] = {};
        if (!ReadAll(view, header, sizeof header))
            return MessageNoExif;
        uint32_t type = BigEndian32(header + 4);
        if (type == ChunkExif)
            return StepOverExifIdentifier(view);
        uint32_t next = 0;
        if (type == ChunkEnd || !Advance(at, uint64_t{ChunkHeaderSize} + BigEndian32(header) + ChunkCrcSize, LargestPosition, &next))
            return MessageNoExif;
        if (!view.Seek(AsSignedDistance(next - at - ChunkHeaderSize), FromCurrent))
            return MessageNoExif;
        at = next;
    }
}
