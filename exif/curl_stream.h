// The libcurl remote back end's fixed sizes, and the one knob that tests turn.
#pragma once

#include <cstdint>

// Pictures are fetched in blocks of this size by range requests; a few blocks stay cached.
constexpr uint32_t CurlBlockSize = 32 * 1024;
constexpr int CurlCachedBlocks = 4;
// A server that refuses ranges sends the whole body; no more than this much of it is kept.
constexpr uint32_t CurlBodyCap = 32 * 1024 * 1024;

constexpr uint32_t CurlDefaultConnectMilliseconds = 10000;
constexpr uint32_t CurlDefaultStallMilliseconds = 20000;

// For tests only: the waits of sessions opened from now on (0 restores a default). The
// product never calls this; the defaults suit real networks.
void SetCurlTimeoutsForTests(uint32_t connectMilliseconds, uint32_t stallMilliseconds);
