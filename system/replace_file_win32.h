// The Windows way of putting a file in place, over a table of system calls that tests fail.
#pragma once

#include <windows.h>

#include <cstddef>

// The system calls of a replacement, from the temporary name to the final rename.
struct ReplaceFileFunctions {
    UINT(WINAPI* getTempFileName)(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name);
    HANDLE(WINAPI* createFile)(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* writeFile)(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* flushFileBuffers)(HANDLE file);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
    DWORD(WINAPI* getFileAttributes)(LPCSTR path);
    BOOL(WINAPI* replaceFile)(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,
                              LPVOID reserved);
    BOOL(WINAPI* moveFileEx)(LPCSTR from, LPCSTR to, DWORD flags);
    BOOL(WINAPI* deleteFile)(LPCSTR path);
};

extern const ReplaceFileFunctions SystemReplaceFileFunctions;

// Writes bytes to a new file in the folder (the first folderLength bytes of path), flushes it
// and puts it in place of path: ReplaceFileA when path exists, so that its attributes stay (a
// read-only file is refused), else MoveFileExA. Returns 0, or the system's error code; path is
// then as it was, and the new file is removed - unless the system had already taken path away
// and could not put the new file there, which then stays under its temporary name rather than
// losing the text too. A path of MAX_PATH characters or more is refused.
DWORD ReplaceFileInPlace(const ReplaceFileFunctions& functions, const char* path, size_t folderLength,
                         const char* bytes, size_t length);
