// The local back end of the Windows build: Win32 file calls.
#pragma once

#include "exif/platform.h"

// CreateFileA, ReadFile, SetFilePointer and CloseHandle, one call per operation; the only
// extra call is the move back after a move that ended at 2 GiB or beyond (see the source).
const FileCalls& Win32FileCalls();
