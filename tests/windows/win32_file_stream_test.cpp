// The local back end on real files: the stream's edge cases through Win32 itself.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "record/signed_distance.h"
#include "record/view_record.h"
#include "backends/win32_file_stream.h"
#include "windows_test_support.h"
#include "view/default_platform.h"

namespace {

constexpr uint32_t TwoGiB = 0x80000000u;

class Win32FileBackEnd : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(file.IsReady()); }

    // A View record reading the 50-byte file through the Windows platform.
    ViewRecord OpenRecord()
    {
        ViewRecord record(TestModule(), DefaultPlatform());
        record.isRemote = 0;
        EXPECT_TRUE(record.Open(file.Path()));
        return record;
    }

    TemporaryFile file{CountingBytes(50)};
    const FileCalls calls = Win32FileCalls();
};

TEST_F(Win32FileBackEnd, OpensAnExistingFileForReading)
{
    Handle handle = calls.open(file.Path());
    ASSERT_NE(handle, InvalidHandle());
    unsigned char bytes[3] = {};
    uint32_t delivered = 0;
    EXPECT_TRUE(calls.read(handle, bytes, 3, &delivered));
    EXPECT_EQ(delivered, 3u);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), 3u);
    calls.close(handle);
}

TEST_F(Win32FileBackEnd, MissingPathOrDirectoryDoesNotOpen)
{
    EXPECT_EQ(calls.open("Z:\\no\\such\\directory\\picture.jpg"), InvalidHandle());
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    EXPECT_EQ(calls.open(directory), InvalidHandle()) << "a directory is no picture";

    ViewRecord record(TestModule(), DefaultPlatform());
    record.isRemote = 0;
    EXPECT_FALSE(record.Open("Z:\\no\\such\\directory\\picture.jpg"));
    EXPECT_EQ(record.hFile, InvalidHandle());
}

TEST_F(Win32FileBackEnd, ShortReadDeliversWhatIsLeftAndKeepsTheRest)
{
    ViewRecord record = OpenRecord();
    ASSERT_TRUE(record.Seek(49, FromBeginning));
    unsigned char bytes[4] = {0xA1, 0xA2, 0xA3, 0xA4};
    uint32_t delivered = 99;
    EXPECT_TRUE(record.ReadDword(bytes, 4, &delivered));
    EXPECT_EQ(delivered, 1u);
    const unsigned char expected[4] = {49, 0xA2, 0xA3, 0xA4};
    EXPECT_EQ(0, memcmp(bytes, expected, 4));
    EXPECT_FALSE(record.ReadDword(bytes, 4, &delivered)) << "nothing is left";
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(0, memcmp(bytes, expected, 4));
    record.Close();
}

TEST_F(Win32FileBackEnd, ZeroSizeReadsTheVariantsDefault)
{
    ViewRecord record = OpenRecord();
    unsigned char bytes[8] = {};
    uint32_t delivered = 0;
    EXPECT_TRUE(record.ReadWord(bytes, 0, &delivered));
    EXPECT_EQ(delivered, 2u);
    EXPECT_EQ(record.Tell(), 2u);
    EXPECT_TRUE(record.ReadDword(bytes, 0, &delivered));
    EXPECT_EQ(delivered, 4u);
    EXPECT_EQ(record.Tell(), 6u);
    EXPECT_TRUE(record.ReadBytes(bytes, 0, &delivered));
    EXPECT_EQ(delivered, 1u);
    EXPECT_EQ(bytes[0], 6);
    EXPECT_EQ(record.Tell(), 7u);
    record.Close();
}

TEST_F(Win32FileBackEnd, MoveBeforeTheBeginningFailsAndStays)
{
    ViewRecord record = OpenRecord();
    ASSERT_TRUE(record.Seek(4, FromBeginning));
    EXPECT_FALSE(record.Seek(-10, FromCurrent));
    EXPECT_EQ(record.Tell(), 4u);
    EXPECT_FALSE(record.Seek(-1, FromBeginning));
    EXPECT_EQ(record.Tell(), 4u);
    record.Close();
}

TEST_F(Win32FileBackEnd, MoveBeyondTheEndSucceedsAndTheReadFails)
{
    ViewRecord record = OpenRecord();
    EXPECT_TRUE(record.Seek(100, FromBeginning));
    EXPECT_EQ(record.Tell(), 100u);
    unsigned char byte = 0x77;
    uint32_t delivered = 5;
    EXPECT_FALSE(record.ReadBytes(&byte, 1, &delivered));
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(byte, 0x77);
    record.Close();
}

TEST_F(Win32FileBackEnd, SetFilePointerWithoutHighPartReachesTwoGiB)
{
    // Why the back end moves back: the system call itself accepts such a move.
    HANDLE handle = CreateFileA(file.Path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_EQ(SetFilePointer(handle, 0x7FFFFFFF, nullptr, FILE_BEGIN), 0x7FFFFFFFu);
    EXPECT_EQ(SetFilePointer(handle, 1, nullptr, FILE_CURRENT), TwoGiB);
    CloseHandle(handle);
}

TEST_F(Win32FileBackEnd, MoveToTwoGiBOrBeyondFailsAndStays)
{
    Handle handle = calls.open(file.Path());
    ASSERT_NE(handle, InvalidHandle());
    ASSERT_EQ(calls.move(handle, 0x7FFFFFFF, FromBeginning), 0x7FFFFFFFu) << "the last valid position";
    EXPECT_EQ(calls.move(handle, 1, FromCurrent), InvalidPosition);
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), 0x7FFFFFFFu);
    EXPECT_EQ(calls.move(handle, 0x7FFFFFFF, FromCurrent), InvalidPosition) << "2^32 - 2";
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), 0x7FFFFFFFu);
    ASSERT_EQ(calls.move(handle, 10, FromBeginning), 10u);
    EXPECT_EQ(calls.move(handle, 0x7FFFFFFF, FromCurrent), InvalidPosition);
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), 10u);
    unsigned char byte = 0;
    uint32_t delivered = 0;
    EXPECT_TRUE(calls.read(handle, &byte, 1, &delivered));
    EXPECT_EQ(byte, 10) << "the read goes on where the failed move started";
    calls.close(handle);

    ViewRecord record = OpenRecord();
    ASSERT_TRUE(record.Seek(20, FromBeginning));
    EXPECT_FALSE(record.Seek(0x7FFFFFF0, FromCurrent));
    EXPECT_EQ(record.Tell(), 20u);
    record.Close();
}

// A sparse file of 2 GiB + 256 bytes, deleted when this goes away; not ready where the file
// system cannot hold it.
class SparseFile {
public:
    SparseFile() : path_(TemporaryPath())
    {
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        LONG high = 0;
        const DWORD length = TwoGiB + 256;
        isReady_ = SetFilePointer(file, AsSignedDistance(length), &high, FILE_BEGIN) == length && SetEndOfFile(file);
        CloseHandle(file);
    }
    ~SparseFile() { DeleteFileA(path_.c_str()); }
    SparseFile(const SparseFile&) = delete;
    SparseFile& operator=(const SparseFile&) = delete;

    const char* Path() const { return path_.c_str(); }
    bool IsReady() const { return isReady_; }

private:
    std::string path_;
    bool isReady_ = false;
};

// The system's own position, with its high part.
uint64_t SystemPosition(Handle file)
{
    LONG high = 0;
    DWORD low = SetFilePointer(file, 0, &high, FILE_CURRENT);
    return uint64_t{static_cast<DWORD>(high)} << 32 | low;
}

TEST(Win32LargeFile, FailedMovePastTwoGiBLeavesThePositionWhereItWas)
{
    // A read carries the position over 2^31; the failed move after it must not stay there.
    SparseFile file;
    if (!file.IsReady())
        GTEST_SKIP() << "no room for a sparse file of 2 GiB here";
    ViewRecord record(TestModule(), DefaultPlatform());
    record.isRemote = 0;
    ASSERT_TRUE(record.Open(file.Path()));
    ASSERT_TRUE(record.Seek(0x7FFFFFF0, FromBeginning));
    char bytes[63];
    uint32_t delivered = 0;
    ASSERT_TRUE(record.ReadBytes(bytes, sizeof bytes, &delivered));
    ASSERT_EQ(delivered, 63u);
    ASSERT_EQ(SystemPosition(record.hFile), 0x8000002Fu);
    EXPECT_FALSE(record.Seek(16, FromCurrent));
    EXPECT_EQ(SystemPosition(record.hFile), 0x8000002Fu);
    EXPECT_EQ(record.Tell(), InvalidPosition);
    EXPECT_EQ(SystemPosition(record.hFile), 0x8000002Fu);
    EXPECT_TRUE(record.Seek(-0x40, FromCurrent)) << "back below 2 GiB";
    EXPECT_EQ(record.Tell(), 0x7FFFFFEFu);
    record.Close();
}

// Counts the back end's closes on their way to CloseHandle.
int fileCloses = 0;
void CountingClose(Handle handle)
{
    ++fileCloses;
    Win32FileCalls().close(handle);
}

TEST_F(Win32FileBackEnd, CloseReleasesTheHandleOnce)
{
    Platform counting = DefaultPlatform();
    counting.file.close = CountingClose;
    fileCloses = 0;
    ViewRecord record(TestModule(), counting);
    record.isRemote = 0;
    ASSERT_TRUE(record.Open(file.Path()));
    HANDLE opened = record.hFile;
    record.Close();
    EXPECT_EQ(fileCloses, 1);
    EXPECT_EQ(record.hFile, nullptr);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(opened, &flags)) << "the handle is really released";
    record.Close();
    EXPECT_EQ(fileCloses, 1) << "a second Close releases nothing";

    ViewRecord failed(TestModule(), counting);
    failed.isRemote = 0;
    EXPECT_FALSE(failed.Open("Z:\\no\\such\\picture.jpg"));
    failed.Close();
    EXPECT_EQ(fileCloses, 1) << "after a failed open there is nothing to release";
}

TEST_F(Win32FileBackEnd, FileOpenForWritingElsewhereIsRefused)
{
    HANDLE writer = CreateFileA(file.Path(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(calls.open(file.Path()), InvalidHandle());
    CloseHandle(writer);
}

}  // namespace
