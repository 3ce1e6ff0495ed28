// What a container finder answers: where the Exif TIFF block lies, or which step found none;
// and the finders themselves, which the dispatcher (exif_block.h) hands the file to.
#pragma once

#include <cstdint>

#include "containers/byte_range.h"

// What a finder found; each refusal names the step that refused, and the walk turns them into
// its messages: NothingToRead 301, UnknownStart 302, every other refusal 303.
enum class Finding : uint8_t {
    Found,
    NothingToRead,          // not one byte of the file arrived
    UnknownStart,           // the first bytes, or the signature they begin, name no container we read
    JpegNoApp1,             // the segments run out (or lead beyond reach) before an APP1
    JpegApp1NotExif,        // APP1 segments were found, none beginning with "Exif" 00 00
    PngNoExifChunk,         // IEND, the end of the file, or a chunk longer than any stream reaches
    WebpSimpleFormat,       // the first chunk is not VP8X: a file of the image alone
    WebpNoExifChunk,        // the chunks end (the file's, the RIFF's or a chunk's end) without EXIF
    IsobmffNoMeta,          // no file-level meta box after the file type box
    IsobmffNoItemBoxes,     // meta holds no iinf or no iloc
    IsobmffNoExifItem,      // no item of type Exif
    IsobmffItemNotLocated,  // iloc places the item nowhere we read: another file or item, pieces apart
    IsobmffHeaderOutside,   // the item's offset field, or the TIFF header it names, lies outside the item
    Cr3NoCanonBox,          // no moov box, or no Canon uuid box in it
    Cr3NoIfd0,              // the Canon box holds no CMT1
    BlockPastEnd,           // where the block should begin, the file has ended
    RawJpegOutside,         // a raw file's embedded JPEG lies outside the file or begins without FF D8
    MrwNoTiffBlock,         // the MRM block's blocks end (or one outgrows it) before a TTW block
};

// Where the Exif IFD lies: found by IFD0's pointer, inside the block; nowhere; or as the first
// directory of a TIFF structure of its own at this position, as CR3 keeps it.
constexpr uint32_t ExifIfdInBlock = 0;
constexpr uint32_t NoExifIfd = 0xFFFFFFFF;

// Where the block lies: the TIFF header's position, from which every offset of the walk counts.
// A finder that finds it leaves the stream there.
struct ExifBlock {
    Finding finding;
    uint32_t tiffStart;
    uint32_t exifStructure = ExifIfdInBlock;
};

constexpr ExifBlock Refused(Finding finding) { return {finding, 0}; }

// The finders, each given the file with the stream standing right past what the dispatcher read.
// JPEG: past the start-of-image marker FF D8 (jpeg_scan.cpp).
ExifBlock ScanJpeg(ByteRange& file);
// ISO BMFF: past the file type box's 8-byte header, of the size given (isobmff_exif.cpp).
ExifBlock FindIsobmffExif(ByteRange& file, uint32_t fileTypeSize);
// CR3: past the file type box's 8-byte header, of the size given (cr3_exif.cpp).
ExifBlock FindCr3Exif(ByteRange& file, uint32_t fileTypeSize);
// PNG: past the 8-byte signature, at the first chunk (png_exif.cpp).
ExifBlock FindPngExif(ByteRange& file);
// WebP: past "RIFF", its size and "WEBP", at the first chunk (webp_exif.cpp).
ExifBlock FindWebpExif(ByteRange& file, uint32_t riffSize);

// Camera raw files, each given the file with the stream right past its first 4 bytes.
// ORF: whether 4 bytes are an Olympus mark; the finder then hands the file from 0 to the walk
// (orf_exif.cpp).
bool IsOrfMark(const uint8_t (&mark)[4]);
ExifBlock FindOrfBlock(ByteRange& file);
// RW2, RWL: past "IIU" 00 (rw2_exif.cpp).
ExifBlock FindRw2Exif(ByteRange& file);
// MRW: past "\0MRM", at its length (mrw_exif.cpp).
ExifBlock FindMrwExif(ByteRange& file);
// RAF: anywhere past "FUJIFILMCCD-RAW " (raf_exif.cpp).
ExifBlock FindRafExif(ByteRange& file);
// The JPEG [offset, offset + length) inside a raw file, scanned as a JPEG file (embedded_jpeg.cpp).
ExifBlock ScanEmbeddedJpeg(ByteRange& file, uint32_t offset, uint32_t length);

// At the payload of a PNG, WebP or HEIF Exif item: the block begins there, or behind a leading
// "Exif" 00 00, which some writers put before the TIFF header. The stream is left at the block.
ExifBlock StepOverExifIdentifier(ByteRange& payload);
