// The command line's side of the system's reason: the shared text, in the encoding it prints.
#include "cli/system_reason.h"

#include "resources/code_page_936.h"
#include "system/system_reason.h"

std::string SystemReason(unsigned long error)
{
    char text[512];
    const size_t length = SystemReasonText(error, text, sizeof text);
    if (length == 0)
        return "error " + std::to_string(error);
#ifdef _WIN32
    return Cp936ToUtf8(text, length);
#else
    return std::string(text, length);
#endif
}
