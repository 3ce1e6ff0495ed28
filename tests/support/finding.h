// The container finders alone, over bytes in memory: which block they name, or which step refused.
#pragma once

#include <ostream>

#include "containers/exif_block.h"
#include "support/exif_builder.h"

// FindExifBlock over the bytes, with the local file back end's positions (a move past the end
// succeeds, a read there delivers nothing).
ExifBlock FindIn(const Bytes& bytes);

// Failures name the finding rather than print its number.
void PrintTo(Finding finding, std::ostream* out);
