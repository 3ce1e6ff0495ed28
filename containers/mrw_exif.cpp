// MRW: a Minolta raw file is one "\0MRM" block holding blocks of its own; the "\0TTW" block
// holds a whole TIFF structure, the photograph's Exif data.
//
//   block  0  4  name: "\0MRM", then within it "\0PRD", "\0TTW", "\0WBG", "\0RIF", "\0PAD"
//          4  4  length of the data that follows, big-endian
//          8     data; the MRM block's data is the other blocks, the image data follows it
// (Blocks as D. Kilian's "Minolta RAW file format" and S. Chauveau's MRW notes describe them.)
#include "containers/container_fields.h"
#include "containers/finding.h"

namespace {

constexpr uint32_t BlockTiffTags = Name("\0TTW");
constexpr uint32_t BlockHeaderSize = 8;

}  // namespace

// Every step moves forward by at least a block header, so the walk ends at the MRM block's end.
ExifBlock FindMrwExif(ByteRange& file)
{
    uint8_t length[4] = {};
    ByteRange blocks = file;
    if (!file.ReadAll(length, sizeof length) || !file.Part(file.Position(), BigEndian32(length), &blocks))
        return Refused(Finding::MrwNoTiffBlock);
    for (;;) {
        uint8_t header[BlockHeaderSize] = {};
        if (!blocks.ReadAll(header, sizeof header))
            return Refused(Finding::MrwNoTiffBlock);
        if (BigEndian32(header) == BlockTiffTags)
            return {Finding::Found, blocks.Position()};
        if (!blocks.Move(BigEndian32(header + 4)))
            return Refused(Finding::MrwNoTiffBlock);
    }
}
