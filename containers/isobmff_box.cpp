// Box headers: 32-bit, 64-bit and to-the-end sizes, each checked against the enclosing range.
#include "containers/isobmff_box.h"

#include "containers/container_fields.h"

uint32_t TakeField(const uint8_t*& bytes, uint32_t width)
{
    uint32_t value = 0;
    if (width == 2)
        value = BigEndian16(bytes);
    else if (width == 4)
        value = BigEndian32(bytes);
    else if (width == 8)
        value = BigEndian32(bytes) != 0 ? BeyondReach : BigEndian32(bytes + 4);
    bytes += width;
    return value;
}

bool ReadBox(ByteRange& within, uint32_t at, Box* box)
{
    uint8_t header[16] = {};
    if (at >= within.End() || !within.MoveTo(at) || !within.ReadAll(header, BoxHeaderSize))
        return false;
    const uint8_t* field = header;
    uint64_t size = TakeField(field, 4);
    box->name = TakeField(field, 4);
    uint32_t headerSize = BoxHeaderSize;
    if (size == 1) {  // a 64-bit size; one past 32 bits cannot end within the range
        headerSize += 8;
        if (!within.ReadAll(header + BoxHeaderSize, 8))
            return false;
        size = TakeField(field, 8);
    } else if (size == 0) {
        size = within.End() - at;
    }
    return size >= headerSize && within.Part(uint64_t{at} + headerSize, size - headerSize, &box->contents);
}

bool FindBox(ByteRange& within, uint32_t at, uint32_t name, Box* box)
{
    for (; at < within.End(); at = box->contents.End()) {
        if (!ReadBox(within, at, box))
            return false;
        if (box->name == name)
            return true;
    }
    return false;
}
