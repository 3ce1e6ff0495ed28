// The native build's stream back ends: POSIX files and libcurl for remote addresses.
#pragma once

#include "exif/platform.h"

const FileCalls& PosixFileCalls();
const InternetCalls& CurlInternetCalls();
