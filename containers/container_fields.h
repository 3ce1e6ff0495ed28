// Fields as the containers spell them: big- and little-endian numbers, four-character names, and
// the identifier that some writers put before the TIFF header.
#pragma once

#include <cstdint>

// "Exif" 00 00: the APP1 identifier (Exif 2.3, 4.7.2), which PNG, WebP and HEIF writers may
// also put in front of the block.
constexpr uint8_t ExifIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};

inline uint32_t BigEndian16(const uint8_t* bytes) { return uint32_t{bytes[0]} << 8 | bytes[1]; }

inline uint32_t BigEndian32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

inline uint32_t LittleEndian32(const uint8_t* bytes)
{
    return uint32_t{bytes[3]} << 24 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[1]} << 8 | bytes[0];
}

// The name of a box or chunk as one number, first character highest: Name("Exif").
constexpr uint32_t Name(const char (&text)[5])
{
    return uint32_t{static_cast<uint8_t>(text[0])} << 24 | uint32_t{static_cast<uint8_t>(text[1])} << 16 |
           uint32_t{static_cast<uint8_t>(text[2])} << 8 | uint32_t{static_cast<uint8_t>(text[3])};
}
