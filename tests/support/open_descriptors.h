// How many file descriptors the process holds: a leak shows as a count that grew.
#pragma once

// The entries of /proc/self/fd, or -1 where there is no such folder.
int OpenDescriptors();
