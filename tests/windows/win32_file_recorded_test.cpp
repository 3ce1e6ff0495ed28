// The local back end's exact kernel32 calls, against a recording stand-in: the arguments of
// every call, a read that fails after delivering bytes, moves past 2 GiB, and the order of
// report and close.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "record/view_record.h"
#include "backends/win32_file_stream.h"
#include "resources/text_table.h"
#include "windows_test_support.h"
#include "view/default_platform.h"

using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

// Records every call in a readable form; the file is bytes in memory with the system's
// position rules (without a high part a move may land anywhere up to 2^32 - 2).
class Win32Recorder {
public:
    static Win32Recorder* current;
    static const Win32FileFunctions functions;

    std::vector<std::string> calls;
    std::vector<unsigned char> data;
    uint32_t position = 0;
    bool opens = true;
    bool readsFail = false;  // ReadFile answers FALSE after delivering what it could

    void Record(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)))
    {
        char line[320];
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(line, sizeof line, format, arguments);
        va_end(arguments);
        calls.emplace_back(line);
    }

    static HANDLE FileToken() { return reinterpret_cast<HANDLE>(0x51F00); }

private:
    static const char* Name(HANDLE file) { return file == FileToken() ? "file" : "unknown"; }

    static HANDLE WINAPI Create(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile)
    {
        Win32Recorder& r = *current;
        r.Record("CreateFileA(%s, 0x%08lX, 0x%lX, %s, %lu, 0x%08lX, %s)", path ? path : "null", access, shareMode,
                 security ? "security" : "null", disposition, flags, templateFile ? "template" : "null");
        return r.opens ? FileToken() : INVALID_HANDLE_VALUE;
    }

    static BOOL WINAPI Read(HANDLE file, LPVOID buffer, DWORD size, LPDWORD delivered, LPOVERLAPPED overlapped)
    {
        Win32Recorder& r = *current;
        r.Record("ReadFile(%s, %lu, %s, %s)", Name(file), size, delivered ? "count" : "null",
                 overlapped ? "overlapped" : "null");
        DWORD left = r.position < r.data.size() ? static_cast<DWORD>(r.data.size() - r.position) : 0;
        DWORD count = size < left ? size : left;
        if (count)
            memcpy(buffer, r.data.data() + r.position, count);
        r.position += count;
        *delivered = count;
        return r.readsFail ? FALSE : TRUE;
    }

    static DWORD WINAPI Move(HANDLE file, LONG distance, PLONG high, DWORD origin)
    {
        Win32Recorder& r = *current;
        r.Record("SetFilePointer(%s, %ld, %s, %lu)", Name(file), distance, high ? "high" : "null", origin);
        long long target = (origin == FILE_BEGIN ? 0 : static_cast<long long>(r.position)) + distance;
        if (target < 0 || target > 0xFFFFFFFELL)
            return INVALID_SET_FILE_POINTER;
        r.position = static_cast<uint32_t>(target);
        return r.position;
    }

    static BOOL WINAPI Close(HANDLE file)
    {
        current->Record("CloseHandle(%s)", Name(file));
        return TRUE;
    }
};

Win32Recorder* Win32Recorder::current = nullptr;
const Win32FileFunctions Win32Recorder::functions = {Create, Read, Move, Close};

// The report joins the same record, so its place among the file calls shows.
void RecordReport(const char* text)
{
    Win32Recorder::current->Record("report %s", text);
    DefaultPlatform().setErrorInfo(text);
}

const Platform& RecordedPlatform()
{
    static const Platform platform = {Win32FileCalls<Win32Recorder::functions>(), DefaultPlatform().internet,
                                      DefaultPlatform().loadText, RecordReport};
    return platform;
}

std::string Report(TextId id)
{
    char text[SlotSize] = {};
    LoadTextCp936(id, text, SlotSize);
    return std::string("report ") + text;
}

const char* const Path = "C:\\Photos\\a.jpg";
const std::string DesignedOpen = "CreateFileA(C:\\Photos\\a.jpg, 0x80000000, 0x1, null, 3, 0x00000000, null)";

class Win32FileRecorded : public testing::Test {
protected:
    void SetUp() override
    {
        Win32Recorder::current = &recorder;
        record.isRemote = 0;
    }
    void TearDown() override { Win32Recorder::current = nullptr; }

    Win32Recorder recorder;
    ViewRecord record{TestModule(), RecordedPlatform()};
};

TEST_F(Win32FileRecorded, BackEndPassesKernel32TheDesignedArguments)
{
    // Read access only, others may read too, an existing file only, no flags.
    recorder.data = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(record.Open(Path));
    EXPECT_EQ(record.hFile, Win32Recorder::FileToken());
    unsigned char bytes[4] = {};
    EXPECT_TRUE(record.ReadDword(bytes, 4));
    EXPECT_TRUE(record.Seek(-2, FromCurrent));
    EXPECT_EQ(record.Tell(), 2u);
    EXPECT_TRUE(record.Seek(5, FromBeginning));
    record.Close();
    EXPECT_THAT(recorder.calls,
                ElementsAre(DesignedOpen, "ReadFile(file, 4, count, null)", "SetFilePointer(file, -2, null, 1)",
                            "SetFilePointer(file, 0, null, 1)", "SetFilePointer(file, 5, null, 0)",
                            "CloseHandle(file)"));
}

TEST_F(Win32FileRecorded, FailingReadThatDeliveredBytesCountsAsARead)
{
    // Only the delivered count decides: a FALSE with bytes delivered still read them.
    recorder.data = {0xC1, 0xC2, 0xC3};
    recorder.readsFail = true;
    ASSERT_TRUE(record.Open(Path));
    unsigned char bytes[4] = {0xA5, 0xA5, 0xA5, 0xA5};
    uint32_t delivered = 0;
    EXPECT_TRUE(record.ReadDword(bytes, 4, &delivered));
    EXPECT_EQ(delivered, 3u);
    const unsigned char expected[4] = {0xC1, 0xC2, 0xC3, 0xA5};
    EXPECT_EQ(0, memcmp(bytes, expected, 4));
    EXPECT_FALSE(record.ReadDword(bytes, 4, &delivered)) << "a FALSE with nothing delivered";
    EXPECT_EQ(delivered, 0u);
    record.Close();
}

TEST_F(Win32FileRecorded, FailedMovePastTwoGiBLeavesThePositionWhereItWas)
{
    ASSERT_TRUE(record.Open(Path));
    ExpectMovesPastTwoGiBUndone(record, recorder.position, recorder.calls, "SetFilePointer(file, %d, null, 1)");
    recorder.position = 0x8000002F;
    recorder.calls.clear();
    EXPECT_EQ(record.Tell(), InvalidPosition) << "past 2 GiB the position is no valid one";
    EXPECT_EQ(recorder.position, 0x8000002Fu);
    EXPECT_THAT(recorder.calls, ElementsAre("SetFilePointer(file, 0, null, 1)")) << "nothing to undo";
    record.Close();
}

TEST_F(Win32FileRecorded, MessageIsReportedBeforeTheFileCloses)
{
    struct Case {
        std::vector<unsigned char> data;
        TextId id;
    } cases[] = {
        {{}, MessageCannotRead},
        {{0x00, 0x00}, MessageNotJpeg},
        {{0xFF, 0xD8}, MessageNoExif},
        {{0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x10, 'E', 'x', 'i', 'f', 0, 0, 'X', 'X'}, MessageBadData},
    };
    for (const Case& c : cases) {
        Win32Recorder fresh;
        Win32Recorder::current = &fresh;
        fresh.data = c.data;
        ViewRecord view(TestModule(), RecordedPlatform());
        view.isRemote = 0;
        EXPECT_FALSE(view.ReadExif(Path));
        ASSERT_GE(fresh.calls.size(), 3u) << c.id;
        std::vector<std::string> last(fresh.calls.end() - 2, fresh.calls.end());
        EXPECT_THAT(last, ElementsAreArray({Report(c.id), std::string("CloseHandle(file)")})) << c.id;
        EXPECT_EQ(fresh.calls.front(), DesignedOpen);
    }
    Win32Recorder::current = &recorder;
}

TEST_F(Win32FileRecorded, FailedOpenReportsAndClosesNothing)
{
    recorder.opens = false;
    EXPECT_FALSE(record.ReadExif(Path));
    EXPECT_THAT(recorder.calls, ElementsAre(DesignedOpen, Report(MessageCannotRead)));
}

}  // namespace
