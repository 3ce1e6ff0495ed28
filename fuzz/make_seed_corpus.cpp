// Writes the seed corpus of both fuzz targets:
//   orvane_seed_corpus READ_EXIF_DIR INTERPRET_ENTRY_DIR [PICTURE...]
// READ_EXIF_DIR gets every builder shape and every picture named, behind a zero control block
// (a local address, no faults), and a few shapes again under other addresses and faults.
// INTERPRET_ENTRY_DIR gets, per byte order and field type, one input that runs all 57 tags.
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/read_exif_input.h"
#include "support/seed_shapes.h"

namespace {

using namespace read_exif_input;

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool ReadFile(const char* path, Bytes& bytes)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

Bytes WithControl(const Bytes& control, const Bytes& picture)
{
    Bytes out = control;
    out.resize(ControlSize, 0);
    out.insert(out.end(), picture.begin(), picture.end());
    return out;
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Other addresses and faults over one shape: remote reads, refused addresses, a failed open,
// the n-th move or read failing, a second reading on the same record.
const uint8_t Variants[][ControlSize] = {
    {HttpFiller, 0, 0, 0, 20},
    {GopherFiller, FailOfflineSession, 0, 0, 3},
    {FtpFiller, FailUrlOpen, 0, 0, 4},
    {LocalFiller, FailFileOpen, 0, 0, 12},
    {LocalFiller, 0, 3, 0, 1},
    {LocalPicture, ReadTwice | PrefillSlots, 0, 0, 0},
    {LocalPicture, StartBigEndian, 0, 7, 0},
    {LongLocal, 0, 0, 0, 255},
    {TwoSlashFiller, StartLocal, 0, 0, 9},
    {LocalPictureBytes, 0, 0, 0, 40},
};

bool WriteReadExifSeeds(const std::string& directory, int pictureCount, char** pictures)
{
    bool ok = true;
    std::vector<SeedShape> shapes = SeedShapes();
    for (const SeedShape& shape : shapes)
        ok &= WriteFile(directory + "/" + shape.name, WithControl({}, shape.bytes));
    const SeedShape* rich = &shapes.front();
    for (const SeedShape& shape : shapes) {
        if (shape.name == "every_tag_ii")
            rich = &shape;
    }
    for (size_t i = 0; i < sizeof Variants / sizeof Variants[0]; ++i)
        ok &= WriteFile(directory + "/variant" + std::to_string(i) + "_" + rich->name, WithControl(Bytes(Variants[i], Variants[i] + ControlSize), rich->bytes));
    for (int i = 0; i < pictureCount; ++i) {
        Bytes picture;
        if (!ReadFile(pictures[i], picture)) {
            std::fprintf(stderr, "orvane_seed_corpus: cannot read %s\n", pictures[i]);
            ok = false;
            continue;
        }
        ok &= WriteFile(directory + "/picture_" + BaseName(pictures[i]), WithControl({}, picture));
    }
    return ok;
}

// The interpret_entry_fuzz layout: no slots filled, then one entry per known tag.
Bytes AllTagsInput(bool bigEndian, uint16_t type, uint8_t count)
{
    constexpr uint8_t BigEndianFlag = 1, NewScratch = 4, NewValueArea = 8, SmallCount = 64;
    Bytes out{0};
    for (uint16_t index = 0; index < 57; ++index) {
        uint8_t flags = static_cast<uint8_t>(SmallCount | NewScratch | NewValueArea | (bigEndian ? BigEndianFlag : 0));
        Bytes entry{flags, static_cast<uint8_t>(index), 0, static_cast<uint8_t>(type), 0, count,
                    static_cast<uint8_t>(index), 1, 0, 0};
        Bytes scratch(64, 0);
        std::memcpy(scratch.data(), "2003:01:15 10:20:30", 19);
        Bytes area(64, 0);
        area[bigEndian ? 3 : 0] = static_cast<uint8_t>(index + 1);   // numerator index + 1
        area[bigEndian ? 7 : 4] = 3;                                 // denominator 3
        entry.insert(entry.end(), scratch.begin(), scratch.end());
        entry.insert(entry.end(), area.begin(), area.end());
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

bool WriteInterpretSeeds(const std::string& directory)
{
    struct Kind {
        const char* name;
        uint16_t type;
        uint8_t count;
    };
    const Kind kinds[] = {{"short", 3, 1}, {"long", 4, 1}, {"rational", 5, 1}, {"srational", 10, 1},
                          {"ascii", 2, 20}, {"undefined", 7, 4}, {"short_pair", 3, 2}};
    bool ok = true;
    for (const Kind& kind : kinds) {
        ok &= WriteFile(directory + "/all_tags_ii_" + kind.name, AllTagsInput(false, kind.type, kind.count));
        ok &= WriteFile(directory + "/all_tags_mm_" + kind.name, AllTagsInput(true, kind.type, kind.count));
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s READ_EXIF_DIR INTERPRET_ENTRY_DIR [PICTURE...]\n", argv[0]);
        return 2;
    }
    bool ok = WriteReadExifSeeds(argv[1], argc - 3, argv + 3) && WriteInterpretSeeds(argv[2]);
    return ok ? 0 : 1;
}
