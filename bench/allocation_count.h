// Counts heap allocations (malloc, calloc, realloc, aligned forms, and so operator new) while
// counting is switched on; the process's own allocator does the work.
#pragma once

#include <cstdint>

void StartCountingAllocations();
// Stops counting and gives the number of allocations since the matching start.
uint64_t StopCountingAllocations();
