// The decisive test of the containers: every sample photograph's Exif block, put into a TIFF
// file, a PNG, a WebP and a HEIF file, reads to the same 41 slots and the same message as the
// JPEG that carries it: in memory (local and remote), and from the files under
// samples/containers/ through this build's own file back end (POSIX, or Win32 under Wine).
#include <gtest/gtest.h>

#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/read_address.h"
#include "support/container_writer.h"
#include "support/reading.h"

namespace {

struct Outcome {
    bool isOk = false;
    std::string message;
    std::string slots;  // all 41 slots, 64 bytes each, stale bytes included
};

Outcome Read(const Bytes& bytes, bool remote)
{
    Reading reading(bytes);
    Outcome outcome;
    outcome.isOk = remote ? reading.ReadRemote() : reading.ReadLocal();
    outcome.message = reading.stream.lastReport();
    outcome.slots.assign(&reading.view.slots[0][0], sizeof reading.view.slots);
    EXPECT_EQ(reading.stream.OpenHandles(), 0);
    return outcome;
}

void ExpectSame(const Outcome& container, const Outcome& jpeg, const std::string& what)
{
    EXPECT_EQ(container.isOk, jpeg.isOk) << what;
    EXPECT_EQ(container.message, jpeg.message) << what;
    EXPECT_TRUE(container.slots == jpeg.slots) << what << ": the slots differ";
}

Bytes FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> NamesIn(const std::string& directory, const std::string& suffix)
{
    std::vector<std::string> names;
    if (DIR* listing = opendir(directory.c_str())) {
        while (dirent* item = readdir(listing)) {
            std::string name = item->d_name;
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                names.push_back(name);
        }
        closedir(listing);
    }
    return names;
}

// Each container, with the options that change where the block lies.
std::vector<std::pair<std::string, Bytes>> Containers(const Bytes& block)
{
    HeifOptions itemData;
    itemData.inItemData = true;
    itemData.locationVersion = 2;
    itemData.infoEntryVersion = 3;
    HeifOptions wide;
    wide.offsetWidth = 8;
    wide.lengthWidth = 8;
    wide.baseOffsetWidth = 8;
    wide.indexWidth = 4;
    wide.extentCount = 3;
    wide.largeSizes = true;
    PngOptions afterImage;
    afterImage.exifAfterImage = true;
    WebpOptions identified;
    identified.exifIdentifier = true;
    std::vector<std::pair<std::string, Bytes>> made = {
        {"png", PngFile(block)},          {"png after IDAT", PngFile(block, afterImage)},
        {"webp", WebpFile(block)},        {"webp with Exif identifier", WebpFile(block, identified)},
        {"heif", HeifFile(block)},        {"heif idat", HeifFile(block, itemData)},
        {"heif 64-bit, 3 extents", HeifFile(block, wide)},
    };
    if (!block.empty())
        made.push_back({"tiff", TiffFile(block)});
    return made;
}

TEST(ContainerTwins, EverySampleReadsAsItsJpegInEveryContainer)
{
    std::vector<std::string> names = NamesIn(ORVANE_SAMPLES_DIR, ".jpg");
    ASSERT_GE(names.size(), 9u);
    for (const std::string& name : names) {
        Bytes jpeg = FileBytes(std::string(ORVANE_SAMPLES_DIR) + "/" + name);
        Bytes block = ExifBlockOfJpeg(jpeg);
        for (bool remote : {false, true}) {
            Outcome twin = Read(jpeg, remote);
            for (const auto& container : Containers(block))
                ExpectSame(Read(container.second, remote), twin, name + " as " + container.first + (remote ? " (remote)" : ""));
        }
    }
}

// As the command line reads a path: through this build's back end for local paths.
AddressOutcome ReadFile(const std::string& path)
{
    AddressOutcome outcome;
    ReadArgumentInto(outcome, path, nullptr, true);
    return outcome;
}

// Each container file under samples/containers/ and each camera raw file under samples/raw/
// reads as the JPEG it was made from, through this build's file back end; the raw files also in
// memory, local and remote.
TEST(ContainerTwins, CommittedFilesReadAsTheirJpeg)
{
    const std::string samples = ORVANE_SAMPLES_DIR;
    const struct {
        const char* folder;
        std::vector<const char*> suffixes;
        size_t files;
    } kinds[] = {
        // Nine photographs: a HEIC, a PNG and a WebP each, a TIFF file for the eight with Exif,
        // and one AVIF.
        {"containers", {".heic", ".avif", ".tif", ".png", ".webp"}, 36},
        {"raw", {".cr3", ".orf", ".rw2", ".rwl", ".raf", ".mrw"}, 7},  // the MMOR ORF included
    };
    for (const auto& kind : kinds) {
        const std::string folder = samples + "/" + kind.folder + "/";
        const bool isRaw = std::string(kind.folder) == "raw";
        size_t compared = 0;
        for (const char* suffix : kind.suffixes) {
            for (const std::string& name : NamesIn(folder, suffix)) {
                const std::string twin = samples + "/" + name.substr(0, name.size() - std::strlen(suffix)) + ".jpg";
                AddressOutcome jpeg = ReadFile(twin);
                AddressOutcome file = ReadFile(folder + name);
                ASSERT_NE(jpeg.messageId, MessageCannotRead) << twin;
                EXPECT_TRUE(!isRaw || jpeg.messageId == MessageOk) << twin;
                EXPECT_EQ(file.messageId, jpeg.messageId) << name;
                EXPECT_EQ(std::memcmp(file.slots, jpeg.slots, sizeof jpeg.slots), 0) << name << ": the slots differ";
                for (bool remote : {false, true}) {
                    if (isRaw)
                        ExpectSame(Read(FileBytes(folder + name), remote), Read(FileBytes(twin), remote),
                                   name + (remote ? " (remote)" : ""));
                }
                ++compared;
            }
        }
        EXPECT_EQ(compared, kind.files) << kind.folder;
    }
}

}  // namespace
