// Unsigned 32-bit stream positions and the signed 32-bit distances that moves take.
#pragma once

#include <cstdint>
#include <cstring>

// Positions wrap at 2^32 on purpose; the bit pattern is what the move receives, so this
// copies it instead of converting (an out-of-range unsigned-to-signed conversion is not
// portable before C++20).
inline int32_t AsSignedDistance(uint32_t wrapped)
{
    int32_t distance;
    std::memcpy(&distance, &wrapped, sizeof distance);
    return distance;
}
