// Where a file keeps its Exif TIFF block. The walk reads the first two bytes of the file and
// hands over to the finder of the container they name; a finder ends either with the stream
// at the block's first byte (the TIFF header, which every offset counts from) or with the
// message the walk ends with: 302 for a file that is none of the containers, 303 for one
// without an Exif block (or whose structure leads nowhere).
//
// Finders read only through the record's stream operations, in small pieces, and move past
// boxes and chunks without reading them. Every position stays at or below LargestPosition;
// whatever lies beyond, or beyond the box or chunk that encloses it, counts as no Exif.
#pragma once

#include <cstdint>

#include "record/signed_distance.h"
#include "record/stream_position.h"
#include "record/view_record.h"

constexpr TextId Proceed = 0;  // no message yet: the walk goes on

// After the JPEG start FF D8 (jpeg_scan.cpp): segments up to the first APP1, which must carry
// Exif; unchanged from the JPEG-only reader, read for read.
TextId ScanJpeg(ViewRecord& view);
// After any other first two bytes: the container they and the bytes behind them name.
TextId FindExifBlock(ViewRecord& view, const uint8_t (&start)[2]);
// The stream lies right past the file type box's 8-byte header, of the size given.
TextId FindIsobmffExif(ViewRecord& view, uint32_t fileTypeSize);  // isobmff_exif.cpp
// The stream lies past the 8-byte signature, at the first chunk.
TextId FindPngExif(ViewRecord& view);  // png_exif.cpp
// The stream lies past "RIFF", size, "WEBP", at the first chunk.
TextId FindWebpExif(ViewRecord& view, uint32_t riffSize);  // webp_exif.cpp

// Shared by the finders (exif_block.cpp).
// A relative move to an absolute target, both computed in wrapping 32-bit arithmetic.
inline bool MoveTo(ViewRecord& view, uint32_t target)
{
    uint32_t difference = target - view.Tell();
    return view.Seek(AsSignedDistance(difference), FromCurrent);
}
// True only when all size bytes arrived.
bool ReadAll(ViewRecord& view, void* destination, uint32_t size);
uint32_t BigEndian32(const uint8_t* bytes);
uint32_t LittleEndian32(const uint8_t* bytes);
// The name of a box or chunk as one number, first character highest: Name("Exif").
constexpr uint32_t Name(const char (&text)[5])
{
    return uint32_t{static_cast<uint8_t>(text[0])} << 24 | uint32_t{static_cast<uint8_t>(text[1])} << 16 |
           uint32_t{static_cast<uint8_t>(text[2])} << 8 | uint32_t{static_cast<uint8_t>(text[3])};
}
// start + distance when it stays within limit (itself at most LargestPosition); else false.
bool Advance(uint32_t start, uint64_t distance, uint32_t limit, uint32_t* end);
// At the payload of a PNG, WebP or HEIF Exif item: steps over a leading "Exif" 00 00, which
// some writers put before the TIFF header. Leaves the stream at the TIFF header.
TextId StepOverExifIdentifier(ViewRecord& view);
