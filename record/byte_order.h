// In-place byte reversal for big-endian ("MM") TIFF data and the always big-endian JPEG lengths.
#pragma once

#include <cstdint>

// "II" words are read straight into host words and "MM" ones swapped: the interpreter takes the
// host to be little-endian, as both builds' hosts are.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the reader assumes a little-endian host");

inline void Swap16(uint16_t& value) { value = static_cast<uint16_t>((value >> 8) | (value << 8)); }

inline void Swap32(uint32_t& value)
{
    value = (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}
