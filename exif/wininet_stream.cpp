// The remote back end over WinINet: one WinINet call per open, read, move and close.
#include "exif/wininet_stream.h"

namespace {

const WinInetFunctions SystemFunctions = {InternetOpenA, InternetOpenUrlA, InternetReadFile,
                                          InternetSetFilePointer, InternetCloseHandle};

const WinInetFunctions* functionsInUse = &SystemFunctions;

Handle OpenSession(const char* agent, uint32_t flags)
{
    // No proxy of our own and no asynchronous flag: every later call blocks until it is done.
    return functionsInUse->internetOpen(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, flags);
}

Handle OpenUrl(Handle session, const char* url)
{
    return functionsInUse->internetOpenUrl(session, url, nullptr, 0, 0, 0);
}

bool ReadFromUrl(Handle url, void* destination, uint32_t size, uint32_t* delivered)
{
    DWORD count = 0;
    BOOL done = functionsInUse->internetReadFile(url, destination, size, &count);
    *delivered = count;
    return done != FALSE;
}

uint32_t MoveInUrl(Handle url, int32_t distance, SeekOrigin origin)
{
    return functionsInUse->internetSetFilePointer(url, distance, nullptr, origin, 0);
}

void CloseInternetHandle(Handle handle) { functionsInUse->internetCloseHandle(handle); }

}  // namespace

const WinInetFunctions& SystemWinInetFunctions() { return SystemFunctions; }

const WinInetFunctions* ReplaceWinInetFunctions(const WinInetFunctions* functions)
{
    const WinInetFunctions* previous = functionsInUse;
    functionsInUse = functions ? functions : &SystemFunctions;
    return previous;
}

const InternetCalls& WinInetInternetCalls()
{
    static const InternetCalls calls = {OpenSession, OpenUrl, ReadFromUrl, MoveInUrl, CloseInternetHandle};
    return calls;
}
