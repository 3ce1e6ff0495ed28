// The file type box (ISO/IEC 14496-12, 4.3): a picture names an image brand as its major brand
// or among its compatible ones.
//
//   ftyp  8 header, 4 major brand, 4 minor version, then compatible brands of 4 bytes each
#include "containers/file_type.h"

#include "containers/container_fields.h"

namespace {

// HEIF and MIAF (ISO/IEC 23008-12, 23000-22), HEVC, AVC, VVC and JPEG images and sequences,
// AVIF; and "crx ", the brand of Canon's raw files.
constexpr uint32_t ImageBrands[] = {
    Name("mif1"), Name("mif2"), Name("mif3"), Name("msf1"), Name("miaf"), Name("heic"), Name("heix"),
    Name("heim"), Name("heis"), Name("hevc"), Name("hevx"), Name("hevm"), Name("hevs"), Name("avif"),
    Name("avis"), Name("avio"), Name("avci"), Name("avcs"), Name("jpeg"), Name("jpgs"), Name("vvic"),
    Name("vvis"), Name("j2ki"), Name("j2is"), Name("MiHA"), Name("MiHB"), Name("MiHE"), Name("MiPr"),
};
constexpr uint32_t BrandCanonRaw = Name("crx ");
constexpr uint32_t MinorVersionIndex = 1;  // the second field is a version, not a brand

BrandKind KindOf(uint32_t brand)
{
    if (brand == BrandCanonRaw)
        return BrandKind::CanonRaw;
    for (uint32_t image : ImageBrands)
        if (brand == image)
            return BrandKind::Image;
    return BrandKind::Other;
}

}  // namespace

BrandKind KindOfBrands(ByteRange& file, uint32_t fileTypeSize)
{
    constexpr uint32_t HeaderSize = 8;
    ByteRange brands = file;
    if (fileTypeSize < HeaderSize)
        return BrandKind::Image;
    if (!file.Part(file.Position(), fileTypeSize - HeaderSize, &brands))
        return BrandKind::Other;
    // A raw brand decides; any image brand makes a picture.
    BrandKind kind = BrandKind::Other;
    uint32_t index = 0;
    for (;;) {
        uint8_t chunk[32] = {};
        uint32_t wanted = brands.Left() < sizeof chunk ? brands.Left() : sizeof chunk, delivered = 0;
        if (!brands.ReadSome(chunk, wanted, &delivered))
            break;
        for (uint32_t at = 0; at + 4 <= delivered; at += 4, ++index) {
            BrandKind brand = index == MinorVersionIndex ? BrandKind::Other : KindOf(BigEndian32(chunk + at));
            if (brand == BrandKind::CanonRaw)
                return brand;
            if (brand == BrandKind::Image)
                kind = brand;
        }
        if (delivered < sizeof chunk)
            break;
    }
    return kind;
}
