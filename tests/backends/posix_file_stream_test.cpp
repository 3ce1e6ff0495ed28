// The native local back end on real files: Windows-form paths, Win32 read and move semantics,
// 2 GiB, directories, and no descriptor left behind. POSIX only.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/thread_error.h"
#include "backends/native_backends.h"
#include "backends/posix_file_stream.h"
#include "record/view_record.h"
#include "support/open_descriptors.h"
#include "support/exif_builder.h"
#include "view/classify_address.h"
#include "view/default_platform.h"

namespace {

// The path as the address rules leave it: "file:///tmp/x" becomes "tmp\x".
std::string WindowsForm(const std::string& path)
{
    std::string out = path.substr(1);
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

class TempFile {
public:
    explicit TempFile(const Bytes& bytes)
    {
        const char* directory = std::getenv("TMPDIR");
        path = std::string(directory && *directory ? directory : "/tmp") + "/orvane_posix_XXXXXX";
        int descriptor = mkstemp(&path[0]);
        EXPECT_GE(descriptor, 0);
        if (!bytes.empty()) {
            EXPECT_EQ(write(descriptor, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        }
        close(descriptor);
    }
    ~TempFile() { unlink(path.c_str()); }
    std::string path;
};

const FileCalls& calls = PosixFileCalls();

TEST(PosixFileStream, OpensWindowsFormPathsFromTheRoot)
{
    TempFile file({1, 2, 3});
    for (std::string form : {WindowsForm(file.path), "\\" + WindowsForm(file.path), file.path}) {
        Handle handle = calls.open(form.c_str());
        ASSERT_NE(handle, InvalidHandle()) << form;
        uint8_t out[4] = {0xA5, 0xA5, 0xA5, 0xA5};
        uint32_t delivered = 0;
        EXPECT_TRUE(calls.read(handle, out, 4, &delivered));
        EXPECT_EQ(delivered, 3u);
        EXPECT_EQ(out[2], 3);
        EXPECT_EQ(out[3], 0xA5);  // short read: the rest stays
        EXPECT_TRUE(calls.read(handle, out, 4, &delivered));
        EXPECT_EQ(delivered, 0u);
        calls.close(handle);
    }
}

TEST(PosixFileStream, RefusesDirectoriesAndMissingFiles)
{
    int before = OpenDescriptors();
    EXPECT_EQ(calls.open("tmp"), InvalidHandle());
    EXPECT_EQ(calls.open("tmp\\orvane-no-such-file.jpg"), InvalidHandle());
    EXPECT_EQ(calls.open(""), InvalidHandle());
    EXPECT_EQ(calls.open(nullptr), InvalidHandle());
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(PosixFileStream, RefusesUnreadableFiles)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempFile file({1});
    chmod(file.path.c_str(), 0);
    EXPECT_EQ(calls.open(WindowsForm(file.path).c_str()), InvalidHandle());
}

TEST(PosixFileStream, MovesLikeSetFilePointer)
{
    TempFile file(Bytes(50, 7));
    Handle handle = calls.open(WindowsForm(file.path).c_str());
    ASSERT_NE(handle, InvalidHandle());
    EXPECT_EQ(calls.move(handle, 4, FromBeginning), 4u);
    EXPECT_EQ(calls.move(handle, -10, FromCurrent), InvalidPosition);
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), 4u);
    EXPECT_EQ(calls.move(handle, 100, FromBeginning), 100u);  // beyond the end
    uint8_t out = 0xA5;
    uint32_t delivered = 9;
    calls.read(handle, &out, 1, &delivered);
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(out, 0xA5);
    calls.close(handle);
}

TEST(PosixFileStream, PositionsFromTwoGibibytesFailAndStay)
{
    TempFile file({});
    int descriptor = open(file.path.c_str(), O_WRONLY);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(ftruncate(descriptor, off_t{0x80000000} + 64), 0);  // sparse
    const uint8_t marks[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(pwrite(descriptor, marks, 8, off_t{0x7FFFFFFC}), 8);
    close(descriptor);

    Handle handle = calls.open(WindowsForm(file.path).c_str());
    ASSERT_NE(handle, InvalidHandle());
    EXPECT_EQ(calls.move(handle, 0x7FFFFFFC, FromBeginning), 0x7FFFFFFCu);
    EXPECT_EQ(calls.move(handle, 4, FromCurrent), InvalidPosition);
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), 0x7FFFFFFCu);
    EXPECT_EQ(calls.move(handle, INT32_MIN, FromBeginning), InvalidPosition);
    uint8_t out[8] = {};
    uint32_t delivered = 0;
    EXPECT_TRUE(calls.read(handle, out, 8, &delivered));  // reads may cross 2 GiB
    EXPECT_EQ(delivered, 8u);
    EXPECT_EQ(out[7], 8);
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), InvalidPosition);  // 2 GiB + 4 is no position
    EXPECT_EQ(calls.move(handle, 0, FromBeginning), 0u);
    calls.close(handle);
}

TEST(PosixFileStream, DescriptorsAreReleasedAndCloseOnExec)
{
    TempFile file({1, 2});
    int before = OpenDescriptors();
    for (int i = 0; i < 200; ++i)
        calls.close(calls.open(WindowsForm(file.path).c_str()));
    EXPECT_EQ(OpenDescriptors(), before);

    Handle handle = calls.open(WindowsForm(file.path).c_str());
    ASSERT_NE(handle, InvalidHandle());
    bool found = false;
    for (int fd = 0; fd < 1024; ++fd) {
        char link[64], target[PATH_MAX] = {};
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        ssize_t length = readlink(link, target, sizeof target - 1);
        if (length > 0 && file.path == target) {
            found = true;
            EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
        }
    }
    EXPECT_TRUE(found);
    calls.close(handle);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(PosixFileStream, ExhaustedHandleRecordsFailTheOpenSafely)
{
    TempFile file({1});
    std::string path = WindowsForm(file.path);
    int before = OpenDescriptors();
    Handle handles[PosixHandleCount + 1];
    int opened = 0;
    while (opened <= PosixHandleCount && (handles[opened] = calls.open(path.c_str())) != InvalidHandle())
        ++opened;
    EXPECT_EQ(opened, PosixHandleCount);
    EXPECT_EQ(OpenDescriptors(), before + opened);  // the refused open kept no descriptor
    calls.close(handles[0]);
    handles[0] = calls.open(path.c_str());
    EXPECT_NE(handles[0], InvalidHandle());
    for (int i = 0; i < opened; ++i)
        calls.close(handles[i]);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(PosixFileStream, StaleAndForeignHandlesAreRefused)
{
    TempFile file({1});
    Handle handle = calls.open(WindowsForm(file.path).c_str());
    calls.close(handle);
    uint8_t out = 0;
    uint32_t delivered = 5;
    EXPECT_FALSE(calls.read(handle, &out, 1, &delivered));
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), InvalidPosition);
    calls.close(handle);  // a second close releases nothing
    int local = 0;
    EXPECT_FALSE(calls.read(&local, &out, 1, &delivered));
    EXPECT_EQ(calls.move(InvalidHandle(), 0, FromCurrent), InvalidPosition);
}

TEST(PosixFileStream, WholeWalkOverARealFile)
{
    TiffBuilder tiff(Order::Big);
    tiff.ifd0.Long(0xE001, 1);
    TempFile file(Jpeg({ExifSegment(tiff.Build())}));
    ViewRecord view{nullptr, DefaultPlatform()};  // the build's own platform
    std::string address = "file://" + file.path;
    int before = OpenDescriptors();
    ASSERT_TRUE(ClassifyAddress(view, &address[0]));
    EXPECT_TRUE(view.ReadExif(address.c_str()));
    char description[SlotSize];
    ASSERT_TRUE(GetThreadErrorInfo(description, nullptr));
    EXPECT_STREQ(description, "ok");
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(view.hFile, nullptr);
}

}  // namespace
#endif
