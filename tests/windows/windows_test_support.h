// Helpers shared by the Windows-side tests: the test program's own module, Wine detection,
// and temporary files that remove themselves.
#pragma once

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "record/view_record.h"

// The test program carries the string table itself, as the DLL does.
inline HINSTANCE TestModule() { return GetModuleHandleA(nullptr); }

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// A new, empty file's name in the temporary directory.
inline std::string TemporaryPath()
{
    char directory[MAX_PATH] = {};
    char name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    GetTempFileNameA(directory, "orv", 0, name);
    return name;
}

// A file in the temporary directory with the given bytes, deleted when this goes away.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::vector<unsigned char>& bytes) : path_(TemporaryPath())
    {
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            if (!bytes.empty())
                WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
        }
        isReady_ = file != INVALID_HANDLE_VALUE && written == bytes.size();
    }
    ~TemporaryFile() { DeleteFileA(path_.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const char* Path() const { return path_.c_str(); }
    bool IsReady() const { return isReady_; }

private:
    std::string path_;
    bool isReady_ = false;
};

// Relative moves that end at 2 GiB or beyond, through a record whose back end runs over a
// recorder (its position and its call log): each fails, and the back end moves back by the
// opposite distance from where it ended. moveFormat is the recorded move, %d the distance.
inline void ExpectMovesPastTwoGiBUndone(ViewRecord& record, uint32_t& position, std::vector<std::string>& calls,
                                        const char* moveFormat)
{
    struct Case {
        uint32_t start;  // where reads left the position, below or already past 2 GiB
        int32_t distance;
    } cases[] = {{0x7FFFFFF0, 16}, {0x8000002F, 16}, {0x8000002F, -8}, {0x7FFFFFFF, 1}};
    for (const Case& c : cases) {
        position = c.start;
        calls.clear();
        EXPECT_FALSE(record.Seek(c.distance, FromCurrent)) << c.start;
        EXPECT_EQ(position, c.start) << "moved back from where the move ended";
        char move[96], back[96];
        snprintf(move, sizeof move, moveFormat, c.distance);
        snprintf(back, sizeof back, moveFormat, -c.distance);
        EXPECT_THAT(calls, testing::ElementsAre(move, back)) << c.start;
    }
}

// Bytes 0, 1, 2, ... count - 1 (mod 256): every position shows where it is.
inline std::vector<unsigned char> CountingBytes(size_t count)
{
    std::vector<unsigned char> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}
