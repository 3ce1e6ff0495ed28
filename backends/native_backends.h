// The native build's stream back ends: POSIX files and libcurl for remote addresses.
#pragma once

#include "backends/curl_stream.h"
#include "record/platform.h"

// Over the Windows-form paths that the address rules make of a "file:///" address.
const FileCalls& PosixFileCalls();
// Over a local path as the file system names it: every byte, a backslash and "%20" included, is its own.
const FileCalls& PosixLocalPathCalls();
