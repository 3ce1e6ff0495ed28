// orvane [--json] ADDRESS...: the Exif information of pictures, as the properties list shows it.
#include <iostream>

#include "cli/command_line.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

int main(int argc, char** argv)
{
    // The standard streams' own buffers: stdio's is a few KiB, written a call at a time.
    std::ios::sync_with_stdio(false);
    const Terminals terminals{isatty(1) != 0, isatty(2) != 0};
    return RunOrvane(argc - 1, argv + 1, std::cout, std::cerr, terminals);
}
