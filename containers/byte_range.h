// A stretch of the picture that a finder reads within, [start, end), and where the stream stands
// in it. Every read and move of a finder goes through a range, so none can lead past the box or
// chunk that encloses it: what would pass the end is refused before the stream sees it. Bounds
// are checked by subtraction, never by a sum that could wrap.
#pragma once

#include <cstdint>

#include "record/image_stream.h"

class ByteRange {
public:
    // All that a stream can reach, from 0 to LargestPosition, with the stream at position.
    ByteRange(ImageStream& stream, uint32_t position);

    uint32_t Start() const { return start; }
    uint32_t End() const { return end; }
    uint32_t Position() const { return position; }
    uint32_t Size() const { return end - start; }
    // Bytes from the position to the end; 0 when the position lies outside the range.
    uint32_t Left() const;

    // [from, from + size) as a range of its own, which knows where the stream stands; false when
    // that would not lie within this range.
    bool Part(uint64_t from, uint64_t size, ByteRange* part) const;
    bool PartToEnd(uint64_t from, ByteRange* part) const;

    // Up to size bytes, none past the end; true when any arrived, with the count in delivered.
    bool ReadSome(void* destination, uint32_t size, uint32_t* delivered);
    // True only when all size bytes arrived; 0 bytes are there without a read.
    bool ReadAll(void* destination, uint32_t size);
    // Back or forward from the position, to anywhere from start to end; every move is one call
    // of the stream, a move by 0 included.
    bool Move(int64_t distance);
    // To target, from start to end. The stream is asked where it stands first: a range inside
    // this one may have moved it since this one last did.
    bool MoveTo(uint32_t target);

private:
    ImageStream* stream;
    uint32_t start, end, position;
};
