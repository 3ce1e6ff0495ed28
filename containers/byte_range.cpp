// The bounded range: each operation one call of the stream, or none when it would leave the range.
#include "containers/byte_range.h"

#include "record/signed_distance.h"
#include "record/stream_position.h"

ByteRange::ByteRange(ImageStream& source, uint32_t at)
    : stream(&source), start(0), end(LargestPosition), position(at)
{
}

uint32_t ByteRange::Left() const
{
    return position < start || position > end ? 0 : end - position;
}

bool ByteRange::Part(uint64_t from, uint64_t size, ByteRange* part) const
{
    if (from < start || from > end || size > end - from)
        return false;
    *part = *this;
    part->start = static_cast<uint32_t>(from);
    part->end = static_cast<uint32_t>(from + size);
    return true;
}

bool ByteRange::PartToEnd(uint64_t from, ByteRange* part) const
{
    return from <= end && Part(from, end - from, part);
}

bool ByteRange::ReadSome(void* destination, uint32_t size, uint32_t* delivered)
{
    *delivered = 0;
    uint32_t wanted = size < Left() ? size : Left();
    if (wanted == 0 || !stream->Read(destination, wanted, delivered))
        return false;
    position += *delivered;  // the stream delivers at most what was asked
    return true;
}

bool ByteRange::ReadAll(void* destination, uint32_t size)
{
    uint32_t delivered = 0;
    return size == 0 || (size <= Left() && ReadSome(destination, size, &delivered) && delivered == size);
}

bool ByteRange::Move(int64_t distance)
{
    int64_t target = int64_t{position} + distance;
    if (target < start || target > end)
        return false;
    // Both ends lie within 0..LargestPosition, so the distance fits a signed 32-bit move.
    if (!stream->Seek(static_cast<int32_t>(distance), FromCurrent))
        return false;
    position = static_cast<uint32_t>(target);
    return true;
}

bool ByteRange::MoveTo(uint32_t target)
{
    if (target < start || target > end)
        return false;
    uint32_t difference = target - stream->Tell();  // wraps when the move goes back
    if (!stream->Seek(AsSignedDistance(difference), FromCurrent))
        return false;
    position = target;
    return true;
}
