// The platform of this build: its stream back ends and string table, and the object's own
// error information (COM error objects on Windows).
#include "exif/module_text.h"
#include "view/default_platform.h"
#include "view/error_info.h"

#ifdef _WIN32
#include "exif/win32_file_stream.h"
#include "exif/wininet_stream.h"
#else
#include "exif/native_backends.h"
#endif

const Platform& DefaultPlatform()
{
#ifdef _WIN32
    // Constant-initialised, so that no first-use guard (and no thread library) comes with it.
    static constexpr Platform platform = {Win32FileCalls(), WinInetInternetCalls(), LoadModuleText,
                                          SetThreadErrorText};
#else
    static const Platform platform = {PosixFileCalls(), CurlInternetCalls(), LoadModuleText, SetThreadErrorText};
#endif
    return platform;
}

const Platform& LocalPathPlatform()
{
#ifdef _WIN32
    static constexpr Platform platform = {Win32LocalPathCalls(), WinInetInternetCalls(), LoadModuleText,
                                          SetThreadErrorText};
#else
    static const Platform platform = {PosixLocalPathCalls(), CurlInternetCalls(), LoadModuleText, SetThreadErrorText};
#endif
    return platform;
}
