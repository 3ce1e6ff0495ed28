// The libcurl remote back end's fixed sizes and waits, and its call table.
#pragma once

#include <cstdint>

#include "record/platform.h"

// Pictures are fetched in blocks of this size by range requests; a few blocks stay cached.
constexpr uint32_t CurlBlockSize = 32 * 1024;
constexpr int CurlCachedBlocks = 4;
// A server that refuses ranges sends the whole body; no more than this much of it is kept.
// However the server answers, no picture moves much more than this many bytes in all: the
// bound is on what crosses the network, not on where in the picture a block lies.
constexpr uint32_t CurlBodyCap = 32 * 1024 * 1024;

// How long a session's transfers wait for a connection, for progress once connected and for
// the whole answer, and how a request that a busy or failing server turned away is tried again:
// up to `attempts` times in all, waiting firstRetryMilliseconds and twice as long each time
// after (or what the server's Retry-After asks, up to longestRetryMilliseconds).
struct CurlTimeouts {
    uint32_t connectMilliseconds;
    uint32_t stallMilliseconds;
    uint32_t transferMilliseconds;
    uint32_t attempts;
    uint32_t firstRetryMilliseconds;
    uint32_t longestRetryMilliseconds;
};
// The waits that suit real networks.
extern const CurlTimeouts DefaultCurlTimeouts;

// The back end's operations; a session takes its waits from the table it is opened through.
Handle OpenCurlSession(const CurlTimeouts& timeouts, const char* agent, uint32_t flags);
Handle OpenCurlUrl(Handle session, const char* url);
bool ReadFromCurlUrl(Handle url, void* destination, uint32_t size, uint32_t* delivered);
uint32_t MoveInCurlUrl(Handle url, int32_t distance, SeekOrigin origin);
void CloseCurlHandle(Handle handle);

// The InternetCalls whose sessions wait as `timeouts` says; the product's are CurlInternetCalls<>().
template <const CurlTimeouts& timeouts = DefaultCurlTimeouts>
const InternetCalls& CurlInternetCalls()
{
    static const InternetCalls calls = {
        [](const char* agent, uint32_t flags) { return OpenCurlSession(timeouts, agent, flags); },
        OpenCurlUrl, ReadFromCurlUrl, MoveInCurlUrl, CloseCurlHandle,
    };
    return calls;
}
