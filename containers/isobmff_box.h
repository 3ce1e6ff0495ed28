// ISO BMFF boxes (ISO/IEC 14496-12, 4.2) as the HEIF and CR3 finders read them: a header, then
// contents that form a range of their own, never reaching past the box that encloses them.
//
//   0 4 size (1: a 64-bit size follows the name; 0: to the end of the enclosing box)
//   4 4 name
#pragma once

#include <cstdint>

#include "containers/byte_range.h"

constexpr uint32_t BoxHeaderSize = 8;
constexpr uint32_t FullBoxHeaderSize = 4;  // version and flags
constexpr uint32_t BeyondReach = 0xFFFFFFFF;  // a 64-bit field whose value needs more than 32 bits

// A box: its name, and its contents (the payload, past the header) as a range of their own.
struct Box {
    uint32_t name;
    ByteRange contents;
};

// A big-endian field of 0, 2, 4 or 8 bytes from a buffer, which then lies past it.
uint32_t TakeField(const uint8_t*& bytes, uint32_t width);

// The header of the box at `at`, which must end within `within`. The stream is left at its
// payload.
bool ReadBox(ByteRange& within, uint32_t at, Box* box);

// The first child named `name` among the boxes from `at` to the end of `within`.
bool FindBox(ByteRange& within, uint32_t at, uint32_t name, Box* box);
