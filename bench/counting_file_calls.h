// The native platform with every file call counted, to show how many calls a read costs.
#pragma once

#include <cstdint>

#include "record/platform.h"

struct FileCallCounts {
    uint64_t opens;
    uint64_t reads;
    uint64_t moves;   // seeks and position queries alike: both are one move
    uint64_t closes;
};

// DefaultPlatform() with its file calls passing through counters.
const Platform& CountingPlatform();
FileCallCounts& CountedFileCalls();
