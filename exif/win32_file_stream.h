// The local back end of the Windows build: Win32 file calls, reached through a replaceable table.
#pragma once

#include <windows.h>

#include "exif/platform.h"

// The four kernel32 functions the local back end calls, with their own signatures. Tests put
// a counting table in place to show that each reader operation costs one system call.
struct Win32FileFunctions {
    HANDLE(WINAPI* createFile)(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* readFile)(HANDLE file, LPVOID buffer, DWORD size, LPDWORD delivered, LPOVERLAPPED overlapped);
    DWORD(WINAPI* setFilePointer)(HANDLE file, LONG distance, PLONG distanceHigh, DWORD origin);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
};

// CreateFileA, ReadFile, SetFilePointer, CloseHandle.
const Win32FileFunctions& SystemWin32FileFunctions();

// Makes the back end call through functions (nullptr: the system's again) and returns the
// table it used before. For tests only; the reader is single-threaded, and so is this.
const Win32FileFunctions* ReplaceWin32FileFunctions(const Win32FileFunctions* functions);

// CreateFileA, ReadFile, SetFilePointer and CloseHandle, one call per operation; the only
// extra call is the move back after a move that ended at 2 GiB or beyond (see the source).
const FileCalls& Win32FileCalls();
