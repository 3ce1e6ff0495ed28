// JPEG: after the start-of-image marker, segments (marker, length) up to the first APP1, which
// must carry Exif; the block begins right behind its identifier.
//
//   0  2  FF D8 (read by the walk)
//   2  2  marker
//   4  2  length, big-endian, counting itself and the payload
//   ...   FF E1 APP1, 2 length (not used), 6 "Exif" 00 00, then the TIFF block
#include <cstdint>
#include <cstring>

#include "containers/exif_block.h"

namespace {

constexpr uint8_t MarkerApp1[2] = {0xFF, 0xE1};
constexpr uint8_t ExifIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};

}  // namespace

// Local destinations of reads start as zero bytes: what a short read leaves out reads as zero.
TextId ScanJpeg(ViewRecord& view)
{
    // Every step reads 4 bytes and moves back at most 2, so the scan ends at the end of the data.
    for (;;) {
        uint8_t header[4] = {};
        uint32_t delivered = 0;
        if (!view.ReadWord(header, sizeof header, &delivered) || delivered < sizeof header)
            return MessageNoExif;
        if (std::memcmp(header, MarkerApp1, sizeof MarkerApp1) == 0)
            break;
        uint32_t length = uint32_t{header[2]} << 8 | header[3];  // JPEG lengths are big-endian
        if (!view.Seek(AsSignedDistance(length - 2), FromCurrent))  // length 0 or 1 moves back
            return MessageNoExif;
    }
    // The first APP1 decides: a later Exif segment is not looked for.
    uint8_t identifier[6] = {};
    if (!view.ReadWord(identifier, sizeof identifier) ||
        std::memcmp(identifier, ExifIdentifier, sizeof identifier) != 0)
        return MessageNoExif;
    return Proceed;
}
