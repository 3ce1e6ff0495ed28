// The platform of this build: Win32 + WinINet on Windows, POSIX + libcurl natively, with the
// object's own error information.
#pragma once

#include "record/platform.h"

const Platform& DefaultPlatform();

// The same platform, but its files are local paths as the file system names them (UTF-8 on
// Windows, the name's own bytes natively), never the Windows-form path of an address.
const Platform& LocalPathPlatform();
