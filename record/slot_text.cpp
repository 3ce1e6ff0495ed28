// The bounded writers of 64-byte texts.
#include "record/slot_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Large enough for any one number the formats print; a longer result is cut anyway.
constexpr size_t FormatRoom = 512;

void CopyCut(char* destination, size_t room, const char* source)
{
    size_t length = strnlen(source, room - 1);
    memcpy(destination, source, length);
    destination[length] = 0;
}

void FormatInto(char (&temporary)[FormatRoom], const char* format, va_list arguments)
{
    int written = vsnprintf(temporary, sizeof temporary, format, arguments);
    if (written < 0)
        temporary[0] = 0;
    temporary[FormatRoom - 1] = 0;
}

}  // namespace

void SlotCopy(char (&destination)[SlotSize], const char* source)
{
    // memmove semantics are not needed: sources are other buffers or string literals.
    CopyCut(destination, SlotSize, source);
}

void SlotFormat(char (&destination)[SlotSize], const char* format, ...)
{
    char temporary[FormatRoom];
    va_list arguments;
    va_start(arguments, format);
    FormatInto(temporary, format, arguments);
    va_end(arguments);
    CopyCut(destination, SlotSize, temporary);
}

void SlotAppend(char (&destination)[SlotSize], const char* format, ...)
{
    char temporary[FormatRoom];
    va_list arguments;
    va_start(arguments, format);
    FormatInto(temporary, format, arguments);
    va_end(arguments);
    size_t used = strnlen(destination, SlotSize - 1);
    CopyCut(destination + used, SlotSize - used, temporary);
}
