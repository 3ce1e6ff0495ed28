// ORF: an Olympus raw file is a TIFF file whose header carries the maker's own mark in place
// of 42; its directories are laid out as in any TIFF file, so the block starts at 0.
//
//   0  4  "IIRO" or "MMOR" (most cameras), "IIRS" (0x5352 little-endian, some later ones);
//         "IISR" is accepted too, as some descriptions spell it
//   4  4  offset of IFD0, in the order of the first two bytes
// (The marks as the Android ExifInterface reader and the public ORF tag tables list them.)
#include <cstring>

#include "containers/finding.h"

namespace {

constexpr uint8_t OrfMarks[][4] = {{'I', 'I', 'R', 'O'}, {'M', 'M', 'O', 'R'}, {'I', 'I', 'R', 'S'}, {'I', 'I', 'S', 'R'}};

}  // namespace

bool IsOrfMark(const uint8_t (&mark)[4])
{
    for (const auto& orf : OrfMarks)
        if (std::memcmp(mark, orf, sizeof orf) == 0)
            return true;
    return false;
}

ExifBlock FindOrfBlock(ByteRange& file)
{
    // The walk reads the byte order again and takes the mark as it takes 42: unread.
    return file.MoveTo(0) ? ExifBlock{Finding::Found, 0} : Refused(Finding::BlockPastEnd);
}
