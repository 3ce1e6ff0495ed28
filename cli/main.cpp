// orvane [--json] ADDRESS...: the Exif information of pictures, as the properties list shows it.
#include <iostream>

#include "cli/command_line.h"

int main(int argc, char** argv)
{
    return RunOrvane(argc - 1, argv + 1, std::cout, std::cerr);
}
