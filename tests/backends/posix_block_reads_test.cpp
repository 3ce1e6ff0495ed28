// The native local back end serves reads from a block of the file: every read must still give
// exactly what one pread at the position gives, and small reads near each other must cost one
// system read. POSIX only.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "backends/native_backends.h"
#include "backends/posix_file_stream.h"

namespace {

const FileCalls& calls = PosixFileCalls();
constexpr uint8_t Poison = 0xA5;

// A temporary file whose byte i is a function of i, so that a byte from the wrong place shows.
class PatternFile {
public:
    explicit PatternFile(size_t size)
    {
        const char* directory = std::getenv("TMPDIR");
        path = std::string(directory && *directory ? directory : "/tmp") + "/orvane_block_XXXXXX";
        int descriptor = mkstemp(&path[0]);
        EXPECT_GE(descriptor, 0);
        bytes.resize(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 8));
        if (size) {
            EXPECT_EQ(write(descriptor, bytes.data(), size), static_cast<ssize_t>(size));
        }
        close(descriptor);
        handle = calls.open(path.c_str());
        EXPECT_NE(handle, InvalidHandle());
    }
    ~PatternFile()
    {
        calls.close(handle);
        unlink(path.c_str());
    }

    // Reads size bytes at the current position into a poisoned buffer and checks the outcome
    // against the file's bytes from `position`: the count, the bytes, the untouched rest.
    void ExpectRead(uint32_t position, uint32_t size, const std::string& context)
    {
        std::vector<uint8_t> out(size + 8, Poison);
        uint32_t delivered = 12345;
        EXPECT_TRUE(calls.read(handle, out.data(), size, &delivered)) << context;
        size_t expected = position < bytes.size() ? std::min<size_t>(size, bytes.size() - position) : 0;
        ASSERT_EQ(delivered, expected) << context;
        for (size_t i = 0; i < expected; ++i)
            ASSERT_EQ(out[i], bytes[position + i]) << context << " byte " << i;
        for (size_t i = expected; i < out.size(); ++i)
            ASSERT_EQ(out[i], Poison) << context << " byte " << i << " past the delivered ones";
        EXPECT_EQ(calls.move(handle, 0, FromCurrent), position + delivered) << context;
    }

    void ReadAt(uint32_t position, uint32_t size)
    {
        ASSERT_EQ(calls.move(handle, static_cast<int32_t>(position), FromBeginning), position);
        ExpectRead(position, size, "read of " + std::to_string(size) + " at " + std::to_string(position));
    }

    std::string path;
    std::vector<uint8_t> bytes;
    Handle handle = nullptr;
};

// The read system calls of this process so far, or -1 where the kernel does not say.
long long SystemReads()
{
    FILE* file = std::fopen("/proc/self/io", "r");
    if (!file)
        return -1;
    char line[128];
    long long count = -1;
    while (std::fgets(line, sizeof line, file))
        if (std::sscanf(line, "syscr: %lld", &count) == 1)
            break;
    std::fclose(file);
    return count;
}

TEST(PosixBlockReads, ReadsAcrossTheBlockEndAreWhole)
{
    PatternFile file(3 * PosixBlockSize + 123);
    file.ReadAt(0, 4);  // brings in the first block
    file.ReadAt(PosixBlockSize - 3, 8);
    file.ReadAt(PosixBlockSize - 1, 1);
    file.ReadAt(2 * PosixBlockSize - 63, 63);
}

TEST(PosixBlockReads, MovesBackBeforeTheBlockRereadEarlierBytes)
{
    PatternFile file(3 * PosixBlockSize);
    file.ReadAt(2 * PosixBlockSize + 10, 12);
    file.ReadAt(10, 12);
    file.ReadAt(2 * PosixBlockSize + 9, 12);
}

TEST(PosixBlockReads, ReadsLongerThanABlockAreOneWholeRead)
{
    PatternFile file(3 * PosixBlockSize);
    file.ReadAt(5, 4);
    file.ReadAt(1, 2 * PosixBlockSize + 5);
    file.ReadAt(PosixBlockSize + 7, 2 * PosixBlockSize);  // reaches the end: short
}

TEST(PosixBlockReads, TheEndOfTheFileIsWhereTheFileEnds)
{
    PatternFile small(100);
    small.ReadAt(98, 4);    // 2 bytes, the other 2 keep their old value
    small.ExpectRead(100, 4, "after the end");
    small.ReadAt(0, 100);
    small.ReadAt(1000, 1);  // beyond the end: nothing, and no failure

    PatternFile exact(PosixBlockSize);  // a full block says nothing about the end
    exact.ReadAt(PosixBlockSize - 1, 4);
    exact.ExpectRead(PosixBlockSize, 4, "at the end of a one-block file");

    PatternFile empty(0);
    empty.ReadAt(0, 2);
}

TEST(PosixBlockReads, RandomWalkMatchesTheFile)
{
    PatternFile file(2 * PosixBlockSize + 777);
    std::mt19937 random(20240611);
    const uint32_t boundaries[] = {0, PosixBlockSize - 2, PosixBlockSize, 2 * PosixBlockSize - 5,
                                   2 * PosixBlockSize + 770, 2 * PosixBlockSize + 800};
    uint32_t position = 0;
    for (int step = 0; step < 3000; ++step) {
        switch (random() % 4) {
        case 0:  // anywhere, a little past the end included
            position = static_cast<uint32_t>(random() % (file.bytes.size() + 64));
            break;
        case 1:  // next to a block or file boundary
            position = boundaries[random() % std::size(boundaries)] + static_cast<uint32_t>(random() % 8);
            break;
        default:  // go on from where the last read ended, as the walk mostly does
            break;
        }
        ASSERT_EQ(calls.move(file.handle, static_cast<int32_t>(position), FromBeginning), position);
        uint32_t size = random() % 16 == 0 ? PosixBlockSize + 3 : 1 + static_cast<uint32_t>(random() % 64);
        file.ExpectRead(position, size, "step " + std::to_string(step));
        if (::testing::Test::HasFatalFailure())
            return;
        position = calls.move(file.handle, 0, FromCurrent);
    }
}

TEST(PosixBlockReads, SmallReadsWithinABlockCostOneSystemRead)
{
    PatternFile file(3 * PosixBlockSize);
    if (SystemReads() < 0)
        GTEST_SKIP() << "/proc/self/io is not readable here";
    long long before = SystemReads();
    long long measuring = SystemReads() - before;  // what reading the counter costs itself
    before = SystemReads();
    for (uint32_t entry = 0; entry < 40; ++entry) {
        uint8_t out[12];
        uint32_t delivered = 0;
        calls.move(file.handle, static_cast<int32_t>(20 + entry * 12), FromBeginning);
        calls.read(file.handle, out, sizeof out, &delivered);
        calls.move(file.handle, 0, FromCurrent);
    }
    EXPECT_EQ(SystemReads() - before - measuring, 1);
}

}  // namespace
#endif
