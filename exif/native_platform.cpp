// The native platform: POSIX files, libcurl, the built-in string table, per-thread error info.
#include <cstring>

#include "exif/error_info.h"
#include "exif/native_backends.h"
#include "exif/platform.h"
#include "resources/text_table.h"

namespace {

// The native stand-in for COM error information: one record per thread, like SetErrorInfo.
struct ErrorRecord {
    bool isSet;
    Guid guid;
    char description[SlotSize];
};

thread_local ErrorRecord threadError{};

int LoadText(Handle, TextId id, char* buffer, int size) { return LoadTextCp936(id, buffer, size); }

void SetErrorInfo(const char* text)
{
    threadError.isSet = true;
    threadError.guid = InterfaceIdView;
    size_t length = strnlen(text, SlotSize - 1);
    memcpy(threadError.description, text, length);
    threadError.description[length] = 0;
}

}  // namespace

bool GetThreadErrorInfo(char (&description)[SlotSize], Guid* guid)
{
    if (!threadError.isSet)
        return false;
    memcpy(description, threadError.description, SlotSize);
    if (guid)
        *guid = threadError.guid;
    return true;
}

void ClearThreadErrorInfo() { threadError = ErrorRecord{}; }

const Platform& DefaultPlatform()
{
    static const Platform platform = {PosixFileCalls(), CurlInternetCalls(), LoadText, SetErrorInfo};
    return platform;
}
