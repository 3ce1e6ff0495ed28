// The remote back end of the Windows build: WinINet, over a table of its functions.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "record/platform.h"

// The five WinINet functions the remote back end calls, with WinINet's own signatures. Wine
// ignores INTERNET_FLAG_OFFLINE and does not implement InternetSetFilePointer, so tests show
// the back end's call sequence over a recording table instead of the real library.
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
extern const WinInetFunctions SystemWinInetFunctions;

// The back end's operations over a given table: one WinINet call per operation; the only
// extra call is the move back after a move that ended at 2 GiB or beyond.
Handle OpenInternetSession(const WinInetFunctions& functions, const char* agent, uint32_t flags);
Handle OpenInternetUrl(const WinInetFunctions& functions, Handle session, const char* url);
bool ReadFromUrl(const WinInetFunctions& functions, Handle url, void* destination, uint32_t size,
                 uint32_t* delivered);
uint32_t MoveInUrl(const WinInetFunctions& functions, Handle url, int32_t distance, SeekOrigin origin);
void CloseInternetHandle(const WinInetFunctions& functions, Handle handle);

// The InternetCalls over the table `functions` names; the product's are WinInetInternetCalls<>().
template <const WinInetFunctions& functions = SystemWinInetFunctions>
constexpr InternetCalls WinInetInternetCalls()
{
    return {
        [](const char* agent, uint32_t flags) { return OpenInternetSession(functions, agent, flags); },
        [](Handle session, const char* url) { return OpenInternetUrl(functions, session, url); },
        [](Handle url, void* destination, uint32_t size, uint32_t* delivered) {
            return ReadFromUrl(functions, url, destination, size, delivered);
        },
        [](Handle url, int32_t distance, SeekOrigin origin) { return MoveInUrl(functions, url, distance, origin); },
        [](Handle handle) { CloseInternetHandle(functions, handle); },
    };
}
