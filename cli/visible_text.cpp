// Control characters as \xHH: plain ASCII that every terminal shows, and that names the byte.
#include "cli/visible_text.h"

namespace {

// The code of the control character at text[i] and its length in bytes; 0 for any other.
size_t ControlAt(const std::string& text, size_t i, unsigned& code)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
        code = c;
        return 1;
    }
    // U+0080 to U+009F are C2 80 to C2 9F in UTF-8; C2 is never a continuation byte.
    const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
        code = next;
        return 2;
    }
    return 0;
}

}  // namespace

void MakeControlsVisible(std::string& out, size_t from)
{
    unsigned code = 0;
    size_t first = from;
    while (first < out.size() && ControlAt(out, first, code) == 0)
        ++first;
    if (first >= out.size())
        return;  // the text of every ordinary photo
    static const char Hex[] = "0123456789ABCDEF";
    std::string visible;
    visible.reserve(out.size() - first + 16);
    for (size_t i = first; i < out.size();) {
        const size_t length = ControlAt(out, i, code);
        if (length == 0) {
            visible += out[i++];
            continue;
        }
        visible += "\\x";
        visible += Hex[code >> 4];
        visible += Hex[code & 0xF];
        i += length;
    }
    out.replace(first, std::string::npos, visible);
}
