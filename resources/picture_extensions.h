// The name endings of the files that the reader takes: one list for the folder walk of the
// command line and for the Explorer verb, so that the two never offer different files.
#pragma once

#include <cstddef>

// Lower case ASCII with the dot; names match them in any case.
constexpr const char* PictureExtensions[] = {
    ".jpg", ".jpeg", ".jpe", ".jfif",         // JPEG
    ".heic", ".heif", ".hif", ".avif",        // the ISO base media file format
    ".tif", ".tiff", ".dng",                  // TIFF and the raw files built on it
    ".png", ".webp",
    // Camera raw files, by maker: Canon, Nikon, Sony, Fujifilm, Olympus, Panasonic and Leica,
    // Pentax, Samsung, Hasselblad, Epson, Mamiya, Leaf, Phase One, Kodak, Minolta.
    ".cr2", ".cr3", ".nef", ".nrw", ".arw", ".sr2", ".srf", ".raf", ".orf", ".rw2", ".rwl",
    ".pef", ".srw", ".3fr", ".erf", ".mef", ".mos", ".iiq", ".kdc", ".dcr", ".mrw",
};
constexpr size_t PictureExtensionCount = sizeof PictureExtensions / sizeof *PictureExtensions;
