// The remote back end over WinINet: one WinINet call per open, read, move and close.
#include "backends/wininet_stream.h"

#include "record/stream_position.h"

const WinInetFunctions SystemWinInetFunctions = {InternetOpenA, InternetOpenUrlA, InternetReadFile,
                                                 InternetSetFilePointer, InternetCloseHandle};

Handle OpenInternetSession(const WinInetFunctions& functions, const char* agent, uint32_t flags)
{
    // No proxy of our own and no asynchronous flag: every later call blocks until it is done.
    return functions.internetOpen(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, flags);
}

Handle OpenInternetUrl(const WinInetFunctions& functions, Handle session, const char* url)
{
    return functions.internetOpenUrl(session, url, nullptr, 0, 0, 0);
}

bool ReadFromUrl(const WinInetFunctions& functions, Handle url, void* destination, uint32_t size,
                 uint32_t* delivered)
{
    DWORD count = 0;
    BOOL done = functions.internetReadFile(url, destination, size, &count);
    *delivered = count;
    return done != FALSE;
}

uint32_t MoveInUrl(const WinInetFunctions& functions, Handle url, int32_t distance, SeekOrigin origin)
{
    auto move = [&](int32_t by, SeekOrigin from) { return functions.internetSetFilePointer(url, by, nullptr, from, 0); };
    return MoveWithinLargestPosition(move, distance, origin);
}

void CloseInternetHandle(const WinInetFunctions& functions, Handle handle) { functions.internetCloseHandle(handle); }
