// The local back end of the Windows build: Win32 file calls, over a table of kernel32 functions.
#pragma once

#include <windows.h>

#include "record/platform.h"

// The four kernel32 functions the local back end calls, with their own signatures.
struct Win32FileFunctions {
    HANDLE(WINAPI* createFile)(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* readFile)(HANDLE file, LPVOID buffer, DWORD size, LPDWORD delivered, LPOVERLAPPED overlapped);
    DWORD(WINAPI* setFilePointer)(HANDLE file, LONG distance, PLONG distanceHigh, DWORD origin);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
};

// CreateFileA, ReadFile, SetFilePointer, CloseHandle.
extern const Win32FileFunctions SystemWin32FileFunctions;

// The back end's operations over a given table: one call per operation; the only extra call is
// the move back after a move that ended at 2 GiB or beyond.
Handle OpenWin32File(const Win32FileFunctions& functions, const char* path);
bool ReadWin32File(const Win32FileFunctions& functions, Handle file, void* destination, uint32_t size,
                   uint32_t* delivered);
uint32_t MoveInWin32File(const Win32FileFunctions& functions, Handle file, int32_t distance, SeekOrigin origin);
void CloseWin32File(const Win32FileFunctions& functions, Handle file);

// A local path as the file system names it, in UTF-8, opened with CreateFileW: every character
// of the name reaches the system, and a path of MAX_PATH characters or more goes through the
// "\\?\" form. Invalid UTF-8 opens nothing, so that no other file can stand in for it.
Handle OpenWin32LocalPath(const char* path);

// The FileCalls over the table `functions` names; the product's are Win32FileCalls<>().
template <const Win32FileFunctions& functions = SystemWin32FileFunctions>
constexpr FileCalls Win32FileCalls()
{
    return {
        [](const char* path) { return OpenWin32File(functions, path); },
        [](Handle file, void* destination, uint32_t size, uint32_t* delivered) {
            return ReadWin32File(functions, file, destination, size, delivered);
        },
        [](Handle file, int32_t distance, SeekOrigin origin) { return MoveInWin32File(functions, file, distance, origin); },
        [](Handle file) { CloseWin32File(functions, file); },
    };
}

// The same back end over local paths in UTF-8: only the open differs.
constexpr FileCalls Win32LocalPathCalls()
{
    FileCalls calls = Win32FileCalls();
    calls.open = OpenWin32LocalPath;
    return calls;
}
