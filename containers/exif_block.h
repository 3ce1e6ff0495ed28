// Where a file keeps its Exif TIFF block. One dispatcher reads the file's first bytes and hands
// over to the finder of the container they name; a finder answers where the block's TIFF header
// lies, or why it found none. Finders see the picture only through a ByteRange over the narrow
// ImageStream: they read small pieces, move past boxes and chunks without reading them, and
// never reach past what encloses them or past LargestPosition.
#pragma once

#include "containers/finding.h"
#include "record/image_stream.h"

// Reads from the stream's first byte on; the stream must stand at 0.
ExifBlock FindExifBlock(ImageStream& stream);
