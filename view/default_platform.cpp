// The platform of this build: its stream back ends and string table, and the object's own
// error information (COM error objects on Windows).
#include "backends/module_text.h"
#include "view/default_platform.h"
#include "view/error_info.h"

#ifdef _WIN32
#include "backends/win32_file_stream.h"
#include "backends/wininet_stream.h"
#else
#include "backends/native_backends.h"
#endif

namespace {

// The two platforms differ only in how a file is named to the open.
#ifdef _WIN32
constexpr Platform PlatformOver(FileCalls files)
{
    return {files, WinInetInternetCalls(), LoadModuleText, SetThreadErrorText};
}
#else
Platform PlatformOver(const FileCalls& files) { return {files, CurlInternetCalls(), LoadModuleText, SetThreadErrorText}; }
#endif

}  // namespace

const Platform& DefaultPlatform()
{
#ifdef _WIN32
    // Constant-initialised, so that no first-use guard (and no thread library) comes with it.
    static constexpr Platform platform = PlatformOver(Win32FileCalls());
#else
    static const Platform platform = PlatformOver(PosixFileCalls());
#endif
    return platform;
}

const Platform& LocalPathPlatform()
{
#ifdef _WIN32
    static constexpr Platform platform = PlatformOver(Win32LocalPathCalls());
#else
    static const Platform platform = PlatformOver(PosixLocalPathCalls());
#endif
    return platform;
}
