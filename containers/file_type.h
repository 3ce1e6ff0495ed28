// Which ISO BMFF files are pictures: the file type box's brands. A movie shares the container
// with HEIF and CR3 but is no photo, and is refused as a file we don't read.
#pragma once

#include <cstdint>

#include "containers/byte_range.h"

enum class BrandKind : uint8_t { Other, Image, CanonRaw };

// With the stream past the file type box's 8-byte header, of the size given. A box of size 0
// (to the end of the file) or 1 (a 64-bit size) names no brands we can read and counts as an
// image, which then has no meta box.
BrandKind KindOfBrands(ByteRange& file, uint32_t fileTypeSize);
