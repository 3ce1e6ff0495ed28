// Filters over the memory stream's call log.
#include "support/walk_log.h"

namespace {

bool IsRead(MemoryStream::Call call) { return call == MemoryStream::Call::FileRead || call == MemoryStream::Call::UrlRead; }
bool IsMove(MemoryStream::Call call) { return call == MemoryStream::Call::FileMove || call == MemoryStream::Call::UrlMove; }

}  // namespace

std::vector<ReadAt> Reads(const MemoryStream& stream)
{
    std::vector<ReadAt> reads;
    for (size_t i = 0; i < stream.LogSize(); ++i) {
        const MemoryStream::LogEntry& entry = stream.LogAt(i);
        if (IsRead(entry.call))
            reads.push_back(ReadAt{entry.position, entry.size, entry.result});
    }
    return reads;
}

std::vector<uint32_t> ReadPositions(const MemoryStream& stream, uint32_t size)
{
    std::vector<uint32_t> positions;
    for (const ReadAt& read : Reads(stream)) {
        if (read.size == size)
            positions.push_back(read.position);
    }
    return positions;
}

uint32_t MoveCount(const MemoryStream& stream)
{
    uint32_t moves = 0;
    for (size_t i = 0; i < stream.LogSize(); ++i)
        moves += IsMove(stream.LogAt(i).call) ? 1 : 0;
    return moves;
}
