// The local back end over Win32 files: one platform call per open, read, move and close.
#include "backends/win32_file_stream.h"

#include <cwchar>

#include "record/stream_position.h"

const Win32FileFunctions SystemWin32FileFunctions = {CreateFileA, ReadFile, SetFilePointer, CloseHandle};

Handle OpenWin32File(const Win32FileFunctions& functions, const char* path)
{
    // Another process that holds the file open for writing makes this fail, on purpose.
    return functions.createFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

namespace {

// How many wide characters the "\\?\" form of path needs (with its terminator), and that form
// written into out when out is given. Only a path from a drive root or a share can take it.
size_t LongPathForm(const wchar_t* path, size_t length, wchar_t* out)
{
    const bool isDrivePath = length >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool isSharePath = length >= 2 && path[0] == L'\\' && path[1] == L'\\' && !(length >= 3 && path[2] == L'?');
    const wchar_t* prefix = isDrivePath ? L"\\\\?\\" : isSharePath ? L"\\\\?\\UNC" : L"";
    const size_t skipped = isSharePath ? 1 : 0;  // "\\server" becomes "\\?\UNC\server"
    const size_t prefixLength = wcslen(prefix);
    if (out) {
        wmemcpy(out, prefix, prefixLength);
        for (size_t i = skipped; i <= length; ++i)  // the "\\?\" form takes no '/'
            out[prefixLength + i - skipped] = path[i] == L'/' ? L'\\' : path[i];
    }
    return prefixLength + length - skipped + 1;
}

}  // namespace

Handle OpenWin32LocalPath(const char* path)
{
    const int characters = path && *path ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0) : 0;
    if (characters <= 0)
        return InvalidHandle();
    wchar_t* wide = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, sizeof(wchar_t) * characters));
    if (!wide)
        return InvalidHandle();
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, characters);
    const size_t length = static_cast<size_t>(characters) - 1;
    wchar_t* opened = wide;
    if (length >= MAX_PATH) {
        const size_t size = LongPathForm(wide, length, nullptr);
        opened = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, sizeof(wchar_t) * size));
        if (opened)
            LongPathForm(wide, length, opened);
    }
    // The same access and sharing as the ANSI open of an address.
    const HANDLE file =
        opened ? CreateFileW(opened, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) : INVALID_HANDLE_VALUE;
    if (opened != wide)
        HeapFree(GetProcessHeap(), 0, opened);
    HeapFree(GetProcessHeap(), 0, wide);
    return file;
}

bool ReadWin32File(const Win32FileFunctions& functions, Handle file, void* destination, uint32_t size,
                   uint32_t* delivered)
{
    DWORD count = 0;
    BOOL done = functions.readFile(file, destination, size, &count, nullptr);
    *delivered = count;
    return done != FALSE;
}

uint32_t MoveInWin32File(const Win32FileFunctions& functions, Handle file, int32_t distance, SeekOrigin origin)
{
    auto move = [&](int32_t by, SeekOrigin from) { return functions.setFilePointer(file, by, nullptr, from); };
    return MoveWithinLargestPosition(move, distance, origin);
}

void CloseWin32File(const Win32FileFunctions& functions, Handle file) { functions.closeHandle(file); }
