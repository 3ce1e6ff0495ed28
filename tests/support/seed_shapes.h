// Pictures of many shapes, built with the test builder, each with the message its walk ends
// with: the seeds of the fuzz corpus and the cases of a test that holds them to that message.
#pragma once

#include <string>
#include <vector>

#include "resources/text_ids.h"
#include "support/exif_builder.h"

struct SeedShape {
    std::string name;  // usable as a file name
    Bytes bytes;
    TextId message;    // on a fresh record, through the local back end
};

std::vector<SeedShape> SeedShapes();
// The other containers around the Exif blocks of two JPEG shapes (container_shapes.cpp).
void AddContainerShapes(std::vector<SeedShape>& shapes, const Bytes& littleJpeg, const Bytes& bigJpeg);
