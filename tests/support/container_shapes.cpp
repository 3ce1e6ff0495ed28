// Seed shapes of the other containers: each container and iloc form, and a few that end
// without a block, so that the fuzzers start inside every finder.
#include "support/container_writer.h"
#include "support/seed_shapes.h"

namespace {

HeifOptions Heif(uint8_t version, uint8_t offset, uint8_t length, uint8_t base, uint8_t index, bool itemData)
{
    HeifOptions o;
    o.locationVersion = version;
    o.offsetWidth = offset, o.lengthWidth = length, o.baseOffsetWidth = base, o.indexWidth = index;
    o.inItemData = itemData;
    o.infoEntryVersion = version == 2 ? 3 : 2;
    return o;
}

}  // namespace

void AddContainerShapes(std::vector<SeedShape>& shapes, const Bytes& littleJpeg, const Bytes& bigJpeg)
{
    Bytes little = ExifBlockOfJpeg(littleJpeg), big = ExifBlockOfJpeg(bigJpeg);
    PngOptions after;
    after.exifAfterImage = true;
    WebpOptions identified, simple;
    identified.exifIdentifier = true;
    simple.extended = false;
    HeifOptions extents = Heif(1, 4, 4, 4, 0, false), gap = extents, large;
    extents.extentCount = 3;
    gap.extentCount = 2, gap.extentGap = true;
    large.largeSizes = true, large.mediaDataToEnd = true;
    const SeedShape more[] = {
        {"tiff_ii", TiffFile(little), MessageOk},
        {"tiff_mm", TiffFile(big), MessageOk},
        {"png_exif_before_idat", PngFile(little), MessageOk},
        {"png_exif_after_idat", PngFile(big, after), MessageOk},
        {"png_signature_only", PngSignature(), MessageNoExif},
        {"webp_exif", WebpFile(big), MessageOk},
        {"webp_exif_identifier", WebpFile(little, identified), MessageOk},
        {"webp_simple", WebpFile({}, simple), MessageNoExif},
        {"heif_iloc_v0", HeifFile(little, Heif(0, 4, 4, 0, 0, false)), MessageOk},
        {"heif_iloc_v1_idat", HeifFile(big, Heif(1, 4, 4, 0, 4, true)), MessageOk},
        {"heif_iloc_v2_wide", HeifFile(little, Heif(2, 8, 8, 8, 8, false)), MessageOk},
        {"heif_iloc_v2_idat_no_length", HeifFile(big, Heif(2, 0, 0, 4, 0, true)), MessageOk},
        {"heif_three_extents", HeifFile(little, extents), MessageOk},
        {"heif_extent_gap", HeifFile(little, gap), MessageNoExif},
        {"heif_large_sizes", HeifFile(big, large), MessageOk},
        {"heif_no_exif", HeifFile({}), MessageNoExif},
    };
    shapes.insert(shapes.end(), std::begin(more), std::end(more));
}
