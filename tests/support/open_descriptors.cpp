// Counting the process's descriptors through /proc; the Windows build has no such thing.
#include "support/open_descriptors.h"

#ifndef _WIN32
#include <dirent.h>

int OpenDescriptors()
{
    int count = 0;
    DIR* directory = opendir("/proc/self/fd");
    if (!directory)
        return -1;
    while (dirent* item = readdir(directory))
        count += item->d_name[0] != '.' ? 1 : 0;
    closedir(directory);
    return count;  // the descriptor of the folder itself counts both times, so it cancels out
}
#else
int OpenDescriptors() { return -1; }
#endif
