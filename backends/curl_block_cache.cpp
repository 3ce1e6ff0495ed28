// The remote back end's block cache: least recently used blocks give way.
#include "backends/curl_block_cache.h"

const CachedBlock* BlockCache::Find(uint64_t start)
{
    for (CachedBlock& block : blocks)
        if (block.isValid && block.start == start) {
            block.lastUse = ++useCounter;
            return &block;
        }
    return nullptr;
}

const CachedBlock& BlockCache::Store(uint64_t start, std::vector<uint8_t>&& bytes)
{
    CachedBlock* slot = &blocks[0];
    for (CachedBlock& block : blocks) {
        if (!block.isValid) {
            slot = &block;
            break;
        }
        if (block.lastUse < slot->lastUse)
            slot = &block;
    }
    slot->isValid = true;
    slot->start = start;
    slot->lastUse = ++useCounter;
    slot->bytes = std::move(bytes);
    return *slot;
}
