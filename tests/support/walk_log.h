// Reading the memory stream's call log back: where the reader read and how it moved.
#pragma once

#include <cstdint>
#include <vector>

#include "support/memory_stream.h"

struct ReadAt {
    uint32_t position;
    uint32_t size;
    uint32_t delivered;
    bool operator==(const ReadAt& other) const
    {
        return position == other.position && size == other.size && delivered == other.delivered;
    }
};

std::vector<ReadAt> Reads(const MemoryStream& stream);
// Positions of the reads of `size` bytes (12: directory entries).
std::vector<uint32_t> ReadPositions(const MemoryStream& stream, uint32_t size);
uint32_t MoveCount(const MemoryStream& stream);
