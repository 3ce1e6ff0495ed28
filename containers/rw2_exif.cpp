// RW2, RWL: a Panasonic or Leica raw file is a TIFF-like structure with the mark "IIU\0". Its
// IFD0 holds the sensor's own tags, Make, Model and an Exif IFD, but the date, the software and
// the other texts a camera writes are only in the embedded JPEG (JpgFromRaw), whose APP1
// carries the photograph's whole Exif data: that block is read. A file without JpgFromRaw is
// read as a TIFF file, its own IFD0 and Exif IFD.
//
//   0   4  "IIU" 00 (read by the dispatcher); always little-endian
//   4   4  offset of IFD0 (24 in camera files, behind a 16-byte signature)
//   IFD0: 2 count, 12 per entry: 2 tag, 2 type, 4 count, 4 value
//   0x002E JpgFromRaw, UNDEFINED: its count is the JPEG's length, its value the JPEG's offset
// (Tags as the public PanasonicRaw tag tables and the Android ExifInterface reader list them.)
#include "containers/container_fields.h"
#include "containers/finding.h"

namespace {

constexpr uint32_t TagJpgFromRaw = 0x002E;
constexpr uint32_t EntrySize = 12;

inline uint32_t LittleEndian16(const uint8_t* bytes) { return uint32_t{bytes[1]} << 8 | bytes[0]; }

}  // namespace

// Every entry read moves forward by 12 bytes, and there are at most 65535 of them.
ExifBlock FindRw2Exif(ByteRange& file)
{
    uint8_t offset[4] = {};
    uint8_t count[2] = {};
    if (!file.ReadAll(offset, sizeof offset) || !file.MoveTo(LittleEndian32(offset)) || !file.ReadAll(count, sizeof count))
        return Refused(Finding::BlockPastEnd);
    for (uint32_t left = LittleEndian16(count); left != 0; --left) {
        uint8_t entry[EntrySize] = {};
        if (!file.ReadAll(entry, sizeof entry))
            break;  // the walk of IFD0 ends at the same entry
        if (LittleEndian16(entry) == TagJpgFromRaw)
            return ScanEmbeddedJpeg(file, LittleEndian32(entry + 8), LittleEndian32(entry + 4));
    }
    return file.MoveTo(0) ? ExifBlock{Finding::Found, 0} : Refused(Finding::BlockPastEnd);
}
