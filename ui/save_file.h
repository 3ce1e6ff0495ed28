// Saving a file without ever losing the one it replaces: the bytes go into a new file in the
// same folder, which then takes the old one's place in one step.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstddef>

// The system calls of a save, from the save dialog to the final rename; tests fail any of them.
struct SaveFileFunctions {
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEA request);
    DWORD(WINAPI* commDlgExtendedError)();
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

extern const SaveFileFunctions SystemSaveFileFunctions;

// Writes bytes to a new file in the folder (the first folderLength bytes of path), flushes it
// and puts it in place of path: ReplaceFileA when path exists, so that its attributes stay,
// else MoveFileExA. Returns 0, or the system's error code; path is then as it was, and the new
// file is removed - unless the system had already taken path away and could not put the new
// file there, which then stays under its temporary name rather than losing the text too.
DWORD SaveFileInPlace(const SaveFileFunctions& functions, const char* path, size_t folderLength, const char* bytes,
                      size_t length);
