// The platform of this build: Win32 + WinINet on Windows, POSIX + libcurl natively, with the
// object's own error information.
#pragma once

#include "exif/platform.h"

const Platform& DefaultPlatform();
