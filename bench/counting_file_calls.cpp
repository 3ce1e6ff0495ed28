// Counters in front of the default platform's file calls.
#include "counting_file_calls.h"
#include "view/default_platform.h"

namespace {

FileCallCounts counts;

const FileCalls& Real() { return DefaultPlatform().file; }

Handle CountedOpen(const char* path)
{
    ++counts.opens;
    return Real().open(path);
}

bool CountedRead(Handle file, void* destination, uint32_t size, uint32_t* delivered)
{
    ++counts.reads;
    return Real().read(file, destination, size, delivered);
}

uint32_t CountedMove(Handle file, int32_t distance, SeekOrigin origin)
{
    ++counts.moves;
    return Real().move(file, distance, origin);
}

void CountedClose(Handle file)
{
    ++counts.closes;
    Real().close(file);
}

}  // namespace

const Platform& CountingPlatform()
{
    static const Platform platform = [] {
        Platform counted = DefaultPlatform();
        counted.file = {CountedOpen, CountedRead, CountedMove, CountedClose};
        return counted;
    }();
    return platform;
}

FileCallCounts& CountedFileCalls() { return counts; }
