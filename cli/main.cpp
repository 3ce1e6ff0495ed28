// orvane [--json] ADDRESS...: the Exif information of pictures, as the properties list shows it.
#include <iostream>

#include "cli/command_line.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define isatty _isatty
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

// The width of the terminal that standard error is, or 0.
unsigned ErrColumns()
{
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO console;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &console))
        return 0;
    return static_cast<unsigned>(console.srWindow.Right - console.srWindow.Left + 1);
#else
    struct winsize size = {};
    return ioctl(2, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    // The standard streams' own buffers: stdio's is a few KiB, written a call at a time.
    std::ios::sync_with_stdio(false);
    Terminals terminals;
    terminals.isOutTerminal = isatty(1) != 0;
    terminals.isErrTerminal = isatty(2) != 0;
    terminals.errColumns = terminals.isErrTerminal ? ErrColumns() : 0;
    return RunOrvane(argc - 1, argv + 1, std::cout, std::cerr, terminals);
}
