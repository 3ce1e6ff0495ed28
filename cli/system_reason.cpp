// One place for the system's reason, so that every failure the command line tells reads alike.
#include "cli/system_reason.h"

#ifdef _WIN32
#include <windows.h>

#include "resources/code_page_936.h"

std::string SystemReason(unsigned long error)
{
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string reason(text, length);
    reason.erase(reason.find_last_not_of(" \r\n") + 1);
    return reason.empty() ? "error " + std::to_string(error) : Cp936ToUtf8(reason.data(), reason.size());
}
#else
#include <cstring>

std::string SystemReason(unsigned long error) { return std::strerror(static_cast<int>(error)); }
#endif
