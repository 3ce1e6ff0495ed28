// Real photographs cut at every length and read through the real POSIX back end, and addresses
// of every length, byte and escape position through the address rules. POSIX only.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "backends/native_backends.h"
#include "support/address_model.h"
#include "support/open_descriptors.h"
#include "support/reading.h"
#include "view/classify_address.h"
#include "view/default_platform.h"

namespace {

// Debian's golang-github-rwcarlsen-goexif-dev ships real camera photographs, some of them with
// damaged EXIF data; scripts/setup.sh installs it.
const char PackagePictures[] = "/usr/share/gocode/src/github.com/rwcarlsen/goexif";

std::vector<std::string> JpegFilesUnder(const std::string& directory)
{
    std::vector<std::string> files;
    std::vector<std::string> pending{directory};
    while (!pending.empty()) {
        std::string current = pending.back();
        pending.pop_back();
        DIR* listing = opendir(current.c_str());
        if (!listing)
            continue;
        while (dirent* item = readdir(listing)) {
            std::string name = item->d_name;
            if (name == "." || name == "..")
                continue;
            std::string path = current + "/" + name;
            struct stat info;
            if (stat(path.c_str(), &info) != 0)
                continue;
            if (S_ISDIR(info.st_mode))
                pending.push_back(path);
            else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0)
                files.push_back(path);
        }
        closedir(listing);
    }
    std::sort(files.begin(), files.end());
    return files;
}

Bytes FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where the first APP1 segment ends, from the segment headers; the file's size without one.
size_t FirstApp1End(const Bytes& bytes)
{
    size_t at = 2;
    while (at + 4 <= bytes.size()) {
        size_t end = at + 2 + (size_t{bytes[at + 2]} << 8 | bytes[at + 3]);
        if (bytes[at] == 0xFF && bytes[at + 1] == 0xE1)
            return std::min(end, bytes.size());
        at = end;
    }
    return bytes.size();
}

// The local platform of this build with every report counted and every read's end noted.
struct Observed {
    static uint32_t reports;
    static bool isMeasuring;
    static uint32_t furthestRead;  // one past the last byte that any read delivered

    static bool Read(Handle file, void* destination, uint32_t size, uint32_t* delivered)
    {
        if (!isMeasuring)
            return PosixFileCalls().read(file, destination, size, delivered);
        uint32_t position = PosixFileCalls().move(file, 0, FromCurrent);
        bool result = PosixFileCalls().read(file, destination, size, delivered);
        if (*delivered)
            furthestRead = std::max(furthestRead, position + *delivered);
        return result;
    }
    static void SetErrorInfo(const char* text)
    {
        ++reports;
        DefaultPlatform().setErrorInfo(text);
    }
    static const Platform& platform()
    {
        static const Platform calls = {
            {PosixFileCalls().open, Read, PosixFileCalls().move, PosixFileCalls().close},
            DefaultPlatform().internet, DefaultPlatform().loadText, SetErrorInfo};
        return calls;
    }
};
uint32_t Observed::reports = 0;
bool Observed::isMeasuring = false;
uint32_t Observed::furthestRead = 0;

// One temporary file, cut shorter and shorter.
class CutFile {
public:
    explicit CutFile(const Bytes& bytes)
    {
        const char* directory = std::getenv("TMPDIR");
        path = std::string(directory && *directory ? directory : "/tmp") + "/orvane_cut_XXXXXX";
        int descriptor = mkstemp(&path[0]);
        EXPECT_GE(descriptor, 0);
        EXPECT_EQ(write(descriptor, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(descriptor);
    }
    ~CutFile() { unlink(path.c_str()); }
    void CutTo(size_t length) { ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(length)), 0); }
    std::string address() const { return "file://" + path; }
    std::string path;
};

struct Outcome {
    std::string message;
    bool ok;
};

// The address rules and the walk, as the COM method runs them, on a fresh record.
Outcome ReadThroughAddress(const std::string& address)
{
    std::vector<char> buffer(address.begin(), address.end());
    buffer.push_back(0);
    ViewRecord view(nullptr, Observed::platform());
    Observed::reports = 0;
    EXPECT_TRUE(ClassifyAddress(view, buffer.data()));
    bool ok = view.ReadExif(buffer.data());
    EXPECT_EQ(Observed::reports, 1u) << address;
    for (const SlotBuffer& slot : view.slots)
        EXPECT_NE(std::memchr(slot, 0, SlotSize), nullptr);
    return {view.scratch, ok};
}

bool IsWalkMessage(const std::string& text)
{
    for (TextId id = MessageCannotRead; id <= MessageOk; ++id) {
        if (text == MessageText(id))
            return true;
    }
    return false;
}

// Every length that can make a difference is cut: up to the last byte the walk reads of the
// whole file (past 4 KiB in steps, for the few files whose directories lie further in). Longer
// cuts, which must read like the whole file, are sampled up to the end of the first APP1
// segment. Returns the number of cuts read.
size_t CutAtEveryLength(const std::string& picture)
{
    Bytes bytes = FileBytes(picture);
    size_t app1End = FirstApp1End(bytes);
    CutFile file(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(app1End)));
    int descriptors = OpenDescriptors();

    Observed::furthestRead = 0;
    Observed::isMeasuring = true;
    file.CutTo(app1End);
    Outcome whole = ReadThroughAddress(file.address());
    Observed::isMeasuring = false;
    EXPECT_TRUE(IsWalkMessage(whole.message)) << picture;
    size_t furthest = std::min<size_t>(Observed::furthestRead, app1End);

    constexpr size_t EveryLengthUpTo = 4096;
    constexpr size_t Samples = 1024;
    std::vector<size_t> lengths;
    for (size_t i = Samples / 32; i > 0; --i)
        lengths.push_back(furthest + (app1End - furthest) * i * 32 / Samples);
    if (furthest > EveryLengthUpTo) {
        for (size_t i = Samples; i > 0; --i)
            lengths.push_back(EveryLengthUpTo + (furthest - EveryLengthUpTo) * i / Samples);
    }
    for (size_t length = std::min(furthest, EveryLengthUpTo) + 1; length-- > 0;)
        lengths.push_back(length);  // descending, so the file only ever gets shorter

    size_t previous = app1End, cuts = 0;
    for (size_t length : lengths) {
        if (length >= previous && cuts > 0)
            continue;
        previous = length;
        ++cuts;
        file.CutTo(length);
        Outcome cut = ReadThroughAddress(file.address());
        EXPECT_TRUE(IsWalkMessage(cut.message)) << picture << " cut at " << length;
        EXPECT_EQ(cut.ok, cut.message == MessageText(MessageOk)) << picture << " cut at " << length;
        if (length >= furthest) {
            EXPECT_EQ(cut.message, whole.message) << picture << " cut at " << length;
        }
        if (length == 0) {
            EXPECT_EQ(cut.message, MessageText(MessageCannotRead)) << picture;
        }
    }
    // A descriptor left open by any of the readings would still be open now.
    EXPECT_EQ(OpenDescriptors(), descriptors) << picture;
    return cuts;
}

TEST(RealPictures, SamplesCutAtEveryLengthEndWithOneMessage)
{
    std::vector<std::string> pictures = JpegFilesUnder(ORVANE_SAMPLES_DIR);
    ASSERT_FALSE(pictures.empty());
    size_t cuts = 0;
    for (const std::string& picture : pictures)
        cuts += CutAtEveryLength(picture);
    std::printf("%zu samples, %zu cuts\n", pictures.size(), cuts);
}

TEST(RealPictures, PackagePicturesCutAtEveryLengthEndWithOneMessage)
{
    std::vector<std::string> pictures = JpegFilesUnder(PackagePictures);
    if (pictures.empty())
        GTEST_SKIP() << "no pictures under " << PackagePictures
                     << ": install golang-github-rwcarlsen-goexif-dev (scripts/setup.sh does)";
    size_t cuts = 0;
    for (const std::string& picture : pictures)
        cuts += CutAtEveryLength(picture);
    std::printf("%zu package pictures, %zu cuts\n", pictures.size(), cuts);
}

// The address in a heap block of exactly its size, so that AddressSanitizer sees any access
// past it; the result as the rules say, and one report exactly when it is refused.
void ExpectRules(const std::string& address)
{
    std::unique_ptr<char[]> buffer(new char[address.size() + 1]);
    std::memcpy(buffer.get(), address.c_str(), address.size() + 1);
    MemoryStream stream(nullptr, 0);
    ViewRecord view(nullptr, MemoryStream::platform());
    bool accepted = ClassifyAddress(view, buffer.get());
    std::string shown = address.size() > 40 ? address.substr(0, 40) + "..." : address;
    ASSERT_EQ(accepted, IsAcceptableAddress(address)) << shown << " (" << address.size() << " bytes)";
    EXPECT_EQ(stream.counters().reports, accepted ? 0u : 1u) << shown;
    EXPECT_EQ(stream.CallCount(), 0u) << shown;
    std::string after(buffer.get());
    EXPECT_LE(after.size(), address.size()) << shown;
    EXPECT_EQ(after, accepted ? RewrittenAddress(address) : address) << shown;
    if (accepted) {
        EXPECT_EQ(view.isRemote, address.compare(0, 8, "file:///") == 0 ? 0 : 1) << shown;
    }
}

std::vector<size_t> LongLengths()
{
    std::vector<size_t> lengths;
    for (size_t length = 1; length <= 1024; ++length)
        lengths.push_back(length);
    for (size_t power = 2048; power <= 65536; power *= 2) {
        for (size_t length : {power - 1, power, power + 1})
            lengths.push_back(std::min<size_t>(length, 65536));
    }
    return lengths;
}

TEST(AddressRobustness, LongAddressesStayInTheirBuffer)
{
    const std::string fill = "ab/%20c%2%%20/d";
    for (const char* prefix : {"file:///", "http://", "gopher://", "file://", ""}) {
        for (size_t length : LongLengths()) {
            std::string address = prefix;
            while (address.size() < length)
                address += fill[address.size() % fill.size()];
            address.resize(length);
            ExpectRules(address);
        }
    }
}

TEST(AddressRobustness, EveryByteValueAtEveryPlaceOfThePrefix)
{
    const std::string bases[] = {"file:///dir/a%20b.jpg", "http://host/a.jpg", "ftp://h/a.jpg", "gopher://h/a"};
    for (const std::string& base : bases) {
        for (int value = 1; value < 256; ++value) {
            for (size_t at = 0; at < base.size(); ++at) {
                std::string address = base;
                address[at] = static_cast<char>(value);
                ExpectRules(address);
            }
            ExpectRules(base + static_cast<char>(value));
        }
    }
}

TEST(AddressRobustness, PercentAtEveryPositionOfAFileAddress)
{
    const std::string base = "file:///C:/My%20Photos/%2F%41/a%20b%%20c.jpg%2";
    for (size_t at = 0; at <= base.size(); ++at) {
        std::string address = base;
        if (at < base.size())
            address[at] = '%';
        else
            address += '%';
        ExpectRules(address);
        ExpectRules(address.substr(0, at + 1));  // the escape cut off at the end of the text
    }
    ExpectRules("file:///%20%20%20%20");
    EXPECT_EQ(RewrittenAddress("file:///%20%20%20%20"), "    ");
}

}  // namespace
#endif
