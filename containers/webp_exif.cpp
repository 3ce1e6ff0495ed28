// WebP: the chunks of a RIFF "WEBP" file; only the extended format (first chunk "VP8X") can
// carry metadata, in its "EXIF" chunk.
//
//   0  4  "RIFF"         chunk   0  4  name
//   4  4  size, LE               4  4  size of the payload, little-endian
//   8  4  "WEBP"                 8     payload, padded to an even length
//   12    chunks                 EXIF payload: the TIFF block, possibly behind "Exif" 00 00
#include <cstdint>

#include "containers/exif_block.h"

namespace {

constexpr uint32_t ChunkExtended = Name("VP8X");
constexpr uint32_t ChunkExif = Name("EXIF");
constexpr uint32_t RiffHeaderSize = 8;  // "RIFF" and the size, which the size doesn't count
constexpr uint32_t ChunkHeaderSize = 8;

}  // namespace

// Every chunk ends within the RIFF size; every step moves forward by at least 8 bytes.
TextId FindWebpExif(ViewRecord& view, uint32_t riffSize)
{
    uint32_t end = 0;
    if (!Advance(RiffHeaderSize, riffSize, LargestPosition, &end))
        end = LargestPosition;  // the rest of the walk never reaches past what a stream can
    uint32_t at = 12;
    for (bool isFirst = true;; isFirst = false) {
        uint8_t header[8] = {};
        uint32_t payloadEnd = 0;
        if (!Advance(at, ChunkHeaderSize, end, &payloadEnd) || !ReadAll(view, header, sizeof header))
            return MessageNoExif;
        uint32_t name = BigEndian32(header), size = LittleEndian32(header + 4);
        if (isFirst && name != ChunkExtended)
            return MessageNoExif;  // the simple formats hold the image alone
        if (!Advance(payloadEnd, size, end, &payloadEnd))
            return MessageNoExif;
        if (name == ChunkExif)
            return StepOverExifIdentifier(view);
        uint32_t next = payloadEnd;
        if (size % 2 != 0 && !Advance(payloadEnd, 1, end, &next))
            return MessageNoExif;
        if (!view.Seek(AsSignedDistance(next - at - ChunkHeaderSize), FromCurrent))
            return MessageNoExif;
        at = next;
    }
}
