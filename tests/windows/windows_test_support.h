// Helpers shared by the Windows-side tests: the test program's own module, Wine detection,
// and temporary files that remove themselves.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The test program carries the string table itself, as the DLL does.
inline HINSTANCE TestModule() { return GetModuleHandleA(nullptr); }

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// A file in the temporary directory with the given bytes, deleted when this goes away.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::vector<unsigned char>& bytes)
    {
        char directory[MAX_PATH] = {};
        char name[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, directory);
        GetTempFileNameA(directory, "orv", 0, name);
        path_ = name;
        HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
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

// Bytes 0, 1, 2, ... count - 1 (mod 256): every position shows where it is.
inline std::vector<unsigned char> CountingBytes(size_t count)
{
    std::vector<unsigned char> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}
