// The seek rule that every stream back end keeps: positions are signed 32-bit numbers, so 2 GiB
// and beyond count as failures, and a failed move leaves the position where it was.
#pragma once

#include <cstdint>

#include "record/platform.h"

constexpr uint32_t LargestPosition = 0x7FFFFFFF;

// For back ends that keep their own position: where a move lands, or false (and no target)
// when it would leave 0..LargestPosition or the origin is not one of ours.
inline bool MoveTarget(uint32_t current, int32_t distance, SeekOrigin origin, uint32_t* target)
{
    int64_t landing = distance;
    if (origin == FromCurrent)
        landing += current;
    else if (origin != FromBeginning)
        return false;
    if (landing < 0 || landing > LargestPosition)
        return false;
    *target = static_cast<uint32_t>(landing);
    return true;
}

// For back ends whose system call moves first and answers afterwards (SetFilePointer and
// InternetSetFilePointer without a high part accept new positions up to 2^32 - 2): an answer
// of 2 GiB or more is turned into a failure, and the move is undone from where it ended. The
// way back is relative, because the old position may itself lie past 2 GiB (a read can carry
// it there), where a move from the beginning cannot reach. From the beginning a non-negative
// distance never lands that far; a negative one is refused by the system without moving.
template <typename Move>
uint32_t MoveWithinLargestPosition(Move move, int32_t distance, SeekOrigin origin)
{
    uint32_t position = move(distance, origin);
    if (position == InvalidPosition || position <= LargestPosition)
        return position;
    // A move by 0 (Tell) moved nothing; -INT32_MIN cannot land past 2 GiB from a 32-bit start.
    if (origin == FromCurrent && distance != 0 && distance != INT32_MIN)
        move(-distance, FromCurrent);
    return InvalidPosition;
}
