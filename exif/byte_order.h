// In-place byte reversal for big-endian ("MM") TIFF data and the always big-endian JPEG lengths.
#pragma once

#include <cstdint>

inline void Swap16(uint16_t& value) { value = static_cast<uint16_t>((value >> 8) | (value << 8)); }

inline void Swap32(uint32_t& value)
{
    value = (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}
