// RAF: a Fujifilm raw file keeps a whole JPEG, whose APP1 carries the photograph's Exif data
// (the Fujifilm maker note included); the sensor data that follows is not read.
//
//   0   16  "FUJIFILMCCD-RAW " (read by the dispatcher)
//   16  ...  format version, camera number and name
//   84   4  offset of the embedded JPEG, big-endian
//   88   4  its length, big-endian
// (The header as the Android ExifInterface reader and the public RAF descriptions lay it out.)
#include "containers/container_fields.h"
#include "containers/finding.h"

namespace {

constexpr uint32_t JpegOffsetField = 84;

}  // namespace

ExifBlock FindRafExif(ByteRange& file)
{
    uint8_t place[8] = {};
    if (!file.MoveTo(JpegOffsetField) || !file.ReadAll(place, sizeof place))
        return Refused(Finding::RawJpegOutside);
    return ScanEmbeddedJpeg(file, BigEndian32(place), BigEndian32(place + 4));
}
