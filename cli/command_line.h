// The `orvane` command: options, one reading attempt per address, the output and exit status.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

#include "cli/picture_output.h"
#include "cli/progress_line.h"
#include "cli/read_address.h"

constexpr int ExitAllRead = 0;
constexpr int ExitSomeNotRead = 1;
constexpr int ExitUsage = 2;

// Which of the two streams are terminals: a terminal gets each list as it is read, and standard
// error the progress line of a long run, cut to errColumns (0: a width not known) and redrawn
// at most once a progressInterval.
struct Terminals {
    bool isOutTerminal = false;
    bool isErrTerminal = false;
    unsigned errColumns = 0;
    std::chrono::milliseconds progressInterval = ProgressLine::RedrawInterval;
};

// The whole command: arguments without the program name; returns the exit status.
int RunOrvane(int argumentCount, const char* const* arguments, std::ostream& out, std::ostream& err,
              const Terminals& terminals = Terminals());
