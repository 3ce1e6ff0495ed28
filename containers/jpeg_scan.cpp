// JPEG: after the start-of-image marker, marker segments up to the first APP1 that carries Exif;
// the block begins right behind its identifier.
//
//   0  2  FF D8 (read by the dispatcher)
//   2  2  marker
//   4  2  length, big-endian, counting itself and the payload (T.81, B.1.1.4)
//   ...   FF E1 APP1, 2 length (not used), 6 "Exif" 00 00 (Exif 2.3, 4.7.2), then the TIFF block
#include <cstdint>
#include <cstring>

#include "containers/container_fields.h"
#include "containers/finding.h"

namespace {

constexpr uint8_t MarkerApp1[2] = {0xFF, 0xE1};
constexpr uint8_t MarkerStartOfScan[2] = {0xFF, 0xDA};  // T.81, B.2.3: the image data follows
constexpr uint32_t LengthSize = 2;

}  // namespace

// The scan knows no other marker: start-of-scan, fill bytes and bytes that are no marker at all
// are each taken as a marker and a length. Every step reads 4 bytes and moves back at most 2, so
// the scan ends at the end of the data.
ExifBlock ScanJpeg(ByteRange& file)
{
    // Writers put XMP or other APP1 segments before the Exif one, so an APP1 without the
    // identifier is skipped like any other segment. Past such a segment the search ends at the
    // image data: read as segments, it would move through the whole picture, over the network
    // for a remote one, for an Exif segment that cannot follow it.
    bool sawApp1 = false;
    for (;;) {
        uint8_t header[4] = {};
        uint32_t delivered = 0;
        if (!file.ReadSome(header, sizeof header, &delivered) || delivered < sizeof header ||
            (sawApp1 && std::memcmp(header, MarkerStartOfScan, sizeof MarkerStartOfScan) == 0))
            return Refused(sawApp1 ? Finding::JpegApp1NotExif : Finding::JpegNoApp1);
        int64_t rest = int64_t{BigEndian16(header + 2)} - LengthSize;  // a length of 0 or 1 moves back
        if (std::memcmp(header, MarkerApp1, sizeof MarkerApp1) == 0) {
            sawApp1 = true;
            uint8_t identifier[sizeof ExifIdentifier] = {};  // what the data leaves out reads as zero
            if (!file.ReadSome(identifier, sizeof identifier, &delivered))
                return Refused(Finding::JpegApp1NotExif);
            if (std::memcmp(identifier, ExifIdentifier, sizeof identifier) == 0)
                return {Finding::Found, file.Position()};
            rest -= delivered;
        }
        if (!file.Move(rest))
            return Refused(sawApp1 ? Finding::JpegApp1NotExif : Finding::JpegNoApp1);
    }
}
