// The payload of a PNG eXIf chunk, a WebP EXIF chunk or a HEIF Exif item: the block begins
// there, or behind "Exif" 00 00, which some writers put first as a JPEG's APP1 has it.
#include <cstring>

#include "containers/container_fields.h"
#include "containers/finding.h"

ExifBlock StepOverExifIdentifier(ByteRange& payload)
{
    const uint32_t at = payload.Position();
    uint8_t identifier[sizeof ExifIdentifier] = {};
    uint32_t delivered = 0;
    if (!payload.ReadSome(identifier, sizeof identifier, &delivered))
        return Refused(Finding::BlockPastEnd);
    if (delivered == sizeof identifier && std::memcmp(identifier, ExifIdentifier, sizeof identifier) == 0)
        return {Finding::Found, payload.Position()};
    return payload.Move(-int64_t{delivered}) ? ExifBlock{Finding::Found, at} : Refused(Finding::BlockPastEnd);
}
