// JSON string escaping, hexadecimal bytes and UTF-8 validation for the front end's output.
#include "cli/json_text.h"

#include <cstdint>

namespace {

const char HexDigits[] = "0123456789abcdef";

// The length of the valid UTF-8 character at text[at], or 0 when none starts there.
size_t Utf8Length(const char* text, size_t size, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;  // no overlong forms
        if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (size - at < length)
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

}  // namespace

void AppendJsonString(std::string& out, const char* utf8, size_t length)
{
    out += '"';
    size_t plain = 0;  // the start of a run that needs no escape, appended whole
    for (size_t i = 0; i < length; ++i) {
        const char c = utf8[i];
        const auto byte = static_cast<uint8_t>(c);
        if (c != '"' && c != '\\' && byte >= 0x20)
            continue;
        out.append(utf8 + plain, i - plain);
        plain = i + 1;
        if (byte < 0x20) {
            const char escape[] = {'\\', 'u', '0', '0', HexDigits[byte >> 4], HexDigits[byte & 0x0F]};
            out.append(escape, sizeof escape);
        } else {
            const char escape[] = {'\\', c};
            out.append(escape, sizeof escape);
        }
    }
    out.append(utf8 + plain, length - plain);
    out += '"';
}

void AppendHexBytes(std::string& out, const char* bytes, size_t length)
{
    const size_t start = out.size();
    out.resize(start + 2 * length);
    char* digits = &out[start];
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        digits[2 * i] = HexDigits[byte >> 4];
        digits[2 * i + 1] = HexDigits[byte & 0x0F];
    }
}

void AppendValidUtf8(std::string& out, const char* text, size_t size)
{
    for (size_t at = 0; at < size;) {
        size_t ascii = at;  // paths are mostly ASCII: appended as one run
        while (ascii < size && static_cast<uint8_t>(text[ascii]) < 0x80)
            ++ascii;
        out.append(text + at, ascii - at);
        if ((at = ascii) == size)
            break;
        const size_t length = Utf8Length(text, size, at);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++at;
        } else {
            out.append(text + at, length);
            at += length;
        }
    }
}
