// The POSIX local back end's fixed sizes.
#pragma once

#include <cstdint>

// Reads are served from one block of the file per open handle, read in a single call: the walk
// touches a few hundred scattered bytes near the start, so one block usually serves it all.
constexpr uint32_t PosixBlockSize = 16 * 1024;
// Handles open at once; each owns its block, so no open allocates. The command line reads on
// at most this many threads, one picture open on each.
constexpr int PosixHandleCount = 64;
