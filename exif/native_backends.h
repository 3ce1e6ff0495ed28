// The native build's stream back ends: POSIX files and libcurl for remote addresses.
#pragma once

#include "exif/curl_stream.h"
#include "exif/platform.h"

const FileCalls& PosixFileCalls();
