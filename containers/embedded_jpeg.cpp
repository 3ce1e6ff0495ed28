// A JPEG that a raw file carries inside itself (RAF, RW2): its Exif block is the photograph's.
#include <cstring>

#include "containers/finding.h"

namespace {

constexpr uint8_t MarkerStartOfImage[2] = {0xFF, 0xD8};  // T.81, B.1.1.3: SOI

}  // namespace

ExifBlock ScanEmbeddedJpeg(ByteRange& file, uint32_t offset, uint32_t length)
{
    // The scan stays within the JPEG: a marker length that leads past it ends the scan there.
    ByteRange jpeg = file;
    uint8_t start[2] = {};
    if (!file.Part(offset, length, &jpeg) || !jpeg.MoveTo(offset) || !jpeg.ReadAll(start, sizeof start) ||
        std::memcmp(start, MarkerStartOfImage, sizeof start) != 0)
        return Refused(Finding::RawJpegOutside);
    return ScanJpeg(jpeg);
}
