// Writes an Exif TIFF block into the other containers the reader knows (TIFF, PNG, WebP, HEIF),
// with the options the edge-case tables vary; and takes the block out of a JPEG's APP1 segment.
// An empty block makes a file of that container without Exif.
#pragma once

#include <cstdint>

#include "support/exif_builder.h"

// The TIFF block of the first APP1 segment when it carries "Exif" 00 00; empty otherwise.
Bytes ExifBlockOfJpeg(const Bytes& jpeg);

// The block is a TIFF file by itself: header, IFD0 and so on, with offsets from 0.
inline Bytes TiffFile(const Bytes& block) { return block; }

struct PngOptions {
    bool exifAfterImage = false;  // eXIf behind IDAT rather than before it
    bool exifIdentifier = false;  // "Exif" 00 00 before the block
};
Bytes PngFile(const Bytes& block, const PngOptions& options = {});

struct WebpOptions {
    bool exifIdentifier = false;  // "Exif" 00 00 before the block
    bool extended = true;         // VP8X first; false: a simple lossless file (which can't hold Exif)
    bool oddChunkBefore = true;   // an odd-length chunk (padded) before EXIF
};
Bytes WebpFile(const Bytes& block, const WebpOptions& options = {});

struct HeifOptions {
    uint8_t locationVersion = 1;  // iloc 0, 1 or 2
    uint8_t offsetWidth = 4, lengthWidth = 4, baseOffsetWidth = 0, indexWidth = 0;  // 0, 4 or 8
    uint8_t infoEntryVersion = 2;  // infe 2 or 3
    bool inItemData = false;       // construction method 1: the item in idat
    uint32_t extentCount = 1;      // the item cut into this many contiguous extents
    bool extentGap = false;        // one byte between the first two extents
    bool locationFirst = false;    // iloc before iinf in meta
    bool largeSizes = false;       // meta and mdat with 64-bit sizes
    bool mediaDataToEnd = false;   // mdat of size 0 (to the end of the file)
    bool hasTiffOffset = false;    // else 6, past "Exif" 00 00
    uint32_t tiffOffset = 0;
    uint32_t exifItemId = 2;       // an image item 1 comes first
    uint32_t freeBoxes = 0;        // empty "free" boxes between ftyp and meta
    // A second image (item 3) with its own Exif item (4, in mdat) carrying otherBlock.
    Bytes otherBlock;
    bool otherExifFirst = false;   // item 4 listed before item 2 in iinf
    bool otherUnlocated = false;   // item 4 left out of iloc
    uint32_t primaryItemId = 0;    // pitm naming this item; 0: no pitm
    bool describes = false;        // iref: cdsc from each Exif item to its image
};
Bytes HeifFile(const Bytes& block, const HeifOptions& options = {});

// Box and chunk pieces for the hand-made cases.
Bytes Box(const char (&name)[5], const Bytes& payload);
Bytes FullBox(const char (&name)[5], uint8_t version, const Bytes& payload);
Bytes BigEndianBytes(uint64_t value, uint32_t width);
Bytes FileTypeBox();
Bytes PngChunk(const char (&name)[5], const Bytes& data);
Bytes RiffChunk(const char (&name)[5], const Bytes& payload);  // padded to an even length
Bytes PngSignature();
