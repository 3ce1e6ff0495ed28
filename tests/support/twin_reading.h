// Reading a container against its JPEG twin: the JPEG that carries the same Exif block.
#pragma once

#include <string>

#include "resources/text_ids.h"
#include "support/exif_builder.h"

// A block with IFD0 texts, an Exif IFD and a Fujifilm maker note; odd adds one byte behind it.
Bytes RichBlock(Order order, bool odd = false);

// Reads bytes locally on a fresh record: the message must be `expected`, one report, no handle
// left open, at most maxCalls platform calls; for 305 the slots must be those of the JPEG
// twin of block. Returns the platform calls made.
uint32_t ExpectReading(const Bytes& bytes, const Bytes& block, TextId expected, const std::string& what,
                       uint32_t maxCalls = 400);

// Big-endian numbers written into bytes at a position, and the first position of a name.
void PutBig32(Bytes& bytes, size_t at, uint32_t value);
size_t Find(const Bytes& bytes, const char (&name)[5], size_t from = 0);
