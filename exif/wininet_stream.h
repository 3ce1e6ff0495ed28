// The remote back end of the Windows build: WinINet, reached through a replaceable table.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "exif/platform.h"

// The five WinINet functions the remote back end calls, with WinINet's own signatures. Tests
// put a recording table in place: Wine ignores INTERNET_FLAG_OFFLINE and does not implement
// InternetSetFilePointer, so the real library cannot show the back end's call sequence there.
struct WinInetFunctions {
    HINTERNET(WINAPI* internetOpen)(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
    HINTERNET(WINAPI* internetOpenUrl)(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength,
                                       DWORD flags, DWORD_PTR context);
    BOOL(WINAPI* internetReadFile)(HINTERNET url, LPVOID buffer, DWORD size, LPDWORD delivered);
    DWORD(WINAPI* internetSetFilePointer)(HINTERNET url, LONG distance, PVOID distanceHigh, DWORD origin,
                                          DWORD_PTR context);
    BOOL(WINAPI* internetCloseHandle)(HINTERNET handle);
};

// InternetOpenA, InternetOpenUrlA, InternetReadFile, InternetSetFilePointer, InternetCloseHandle.
const WinInetFunctions& SystemWinInetFunctions();

// Makes the back end call through functions (nullptr: the system's again) and returns the
// table it used before. For tests only; the reader is single-threaded, and so is this.
const WinInetFunctions* ReplaceWinInetFunctions(const WinInetFunctions* functions);

// The InternetCalls of the Windows build, over the table in use.
const InternetCalls& WinInetInternetCalls();
