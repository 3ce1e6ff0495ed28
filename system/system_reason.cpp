// FormatMessageA on Windows, strerror natively; both cut to the buffer they are given.
#include "system/system_reason.h"

#include <cstring>

namespace {

// The system's texts end in CR LF, which would leave an empty last line in a box or a message.
size_t WithoutLineEnd(char* text, size_t length)
{
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
        text[--length] = 0;
    return length;
}

}  // namespace

#ifdef _WIN32
size_t SystemReasonText(unsigned long error, char* text, size_t size)
{
    text[0] = 0;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, static_cast<DWORD>(size), nullptr);
    text[length < size ? length : size - 1] = 0;
    return WithoutLineEnd(text, length < size ? length : size - 1);
}

DWORD LastFailure()
{
    const DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}
#else
size_t SystemReasonText(unsigned long error, char* text, size_t size)
{
    const char* reason = std::strerror(static_cast<int>(error));
    const size_t length = reason ? strnlen(reason, size - 1) : 0;
    memcpy(text, reason ? reason : "", length);
    text[length] = 0;
    return WithoutLineEnd(text, length);
}
#endif
