// The few blocks of a remote picture that a URL handle keeps, the one used longest ago giving way.
#pragma once

#include <cstdint>
#include <vector>

#include "backends/curl_stream.h"

struct CachedBlock {
    bool isValid = false;
    uint64_t start = 0;
    uint64_t lastUse = 0;
    std::vector<uint8_t> bytes;
};

class BlockCache {
public:
    // The block that starts at start, counted as used now; null when it is not kept.
    const CachedBlock* Find(uint64_t start);
    // Keeps bytes as the block at start, in an empty place or the one used longest ago.
    const CachedBlock& Store(uint64_t start, std::vector<uint8_t>&& bytes);

private:
    CachedBlock blocks[CurlCachedBlocks];
    uint64_t useCounter = 0;
};
