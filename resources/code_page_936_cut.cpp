// The cut that keeps a double-byte character whole. A file of its own, so that a program that
// only cuts text (the module) does not link the decoding tables.
#include "resources/code_page_936.h"

size_t Cp936FittingLength(const char* text, size_t length, size_t room)
{
    if (length <= room)
        return length;
    size_t cut = 0;
    while (cut < length) {
        size_t width = IsCp936LeadByte(text[cut]) && cut + 1 < length ? 2 : 1;
        if (cut + width > room)
            break;
        cut += width;
    }
    return cut;
}
