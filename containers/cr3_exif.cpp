// CR3, Canon's raw file (an ISO BMFF file of brand "crx "): the movie box holds a box of Canon's
// own, named by a UUID, whose children keep the metadata as TIFF structures, each with its own
// header and byte order:
//
//   moov
//     uuid  16 85c0b687-820f-11e0-8111-f4ce462b6a48, then boxes:
//       CMT1  IFD0 as a whole TIFF structure
//       CMT2  the Exif IFD as a TIFF structure whose first directory it is
//       CMT3  the maker note likewise, not read; CNCV, CCTP, THMB and others skipped
//
// The block is CMT1; CMT2 is named as the Exif IFD's own structure. A Canon box without CMT2
// still gives IFD0.
#include <cstdint>
#include <cstring>

#include "containers/container_fields.h"
#include "containers/finding.h"
#include "containers/isobmff_box.h"

namespace {

constexpr uint32_t BoxMovie = Name("moov");
constexpr uint32_t BoxUuid = Name("uuid");
constexpr uint32_t BoxIfd0 = Name("CMT1");
constexpr uint32_t BoxExifIfd = Name("CMT2");
constexpr uint8_t CanonUuid[16] = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                                   0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};

// The first uuid box of the movie whose UUID is Canon's; its contents start past the UUID.
bool FindCanonBox(ByteRange& movie, Box* canon)
{
    for (uint32_t at = movie.Start(); FindBox(movie, at, BoxUuid, canon); at = canon->contents.End()) {
        uint8_t uuid[sizeof CanonUuid] = {};
        if (canon->contents.ReadAll(uuid, sizeof uuid) && std::memcmp(uuid, CanonUuid, sizeof uuid) == 0)
            return canon->contents.PartToEnd(uint64_t{canon->contents.Start()} + sizeof uuid, &canon->contents);
    }
    return false;
}

}  // namespace

ExifBlock FindCr3Exif(ByteRange& file, uint32_t fileTypeSize)
{
    Box movie{0, file};
    Box canon{0, file};
    if (fileTypeSize < BoxHeaderSize || !FindBox(file, fileTypeSize, BoxMovie, &movie) ||
        !FindCanonBox(movie.contents, &canon))
        return Refused(Finding::Cr3NoCanonBox);
    Box ifd0{0, file}, exif{0, file}, box{0, file};
    for (uint32_t at = canon.contents.Start(); at < canon.contents.End(); at = box.contents.End()) {
        if (!ReadBox(canon.contents, at, &box))
            break;  // what was found before a broken box still counts
        Box* part = box.name == BoxIfd0 ? &ifd0 : box.name == BoxExifIfd ? &exif : nullptr;
        if (part && part->name == 0)
            *part = box;
    }
    if (ifd0.name == 0)
        return Refused(Finding::Cr3NoIfd0);
    ByteRange& block = ifd0.contents;
    if (!block.MoveTo(block.Start()))
        return Refused(Finding::BlockPastEnd);
    return {Finding::Found, block.Start(), exif.name != 0 ? exif.contents.Start() : NoExifIfd};
}
