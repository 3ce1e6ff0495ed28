// Code page 936 tables: the double-byte half comes from the Windows code page file.
#include "resources/code_page_936.h"

#include <array>

namespace {

constexpr uint8_t FirstLead = Cp936FirstLead;
constexpr uint8_t LastLead = Cp936LastLead;
constexpr uint8_t FirstTrail = 0x40;
constexpr uint8_t LastTrail = 0xFE;
constexpr int TrailCount = LastTrail - FirstTrail + 1;
constexpr int LeadCount = LastLead - FirstLead + 1;

// 0 marks an undefined pair.
const uint16_t DoubleByteTable[LeadCount][TrailCount] = {
#include "resources/code_page_936_table.inc"
};

// The two single bytes above ASCII that Windows maps.
constexpr uint8_t EuroByte = 0x80;
constexpr uint32_t EuroSign = 0x20AC;
constexpr uint8_t LastByte = 0xFF;
constexpr uint32_t LastByteCharacter = 0xF8F5;

// The code of every character of the Basic Multilingual Plane that has one (0: none), filled in
// one pass on the first encode: a start-up cost of one table walk, not of a sort. Where two codes
// decode to one character, the first in code order is the one encoded.
const std::array<uint16_t, 0x10000>& ReverseTable()
{
    static const std::array<uint16_t, 0x10000> table = [] {
        std::array<uint16_t, 0x10000> built{};
        for (int lead = LeadCount - 1; lead >= 0; --lead)
            for (int trail = TrailCount - 1; trail >= 0; --trail)
                if (uint16_t unicode = DoubleByteTable[lead][trail])
                    built[unicode] = static_cast<uint16_t>(((FirstLead + lead) << 8) | (FirstTrail + trail));
        return built;
    }();
    return table;
}

// Returns the code page bytes of one code point: 1 or 2 bytes in code, or 0 when it has none.
int EncodeCharacter(uint32_t unicode, uint16_t* code)
{
    if (unicode < 0x80) {
        *code = static_cast<uint16_t>(unicode);
        return 1;
    }
    if (unicode == EuroSign) {
        *code = EuroByte;
        return 1;
    }
    if (unicode == LastByteCharacter) {
        *code = LastByte;
        return 1;
    }
    if (unicode >= 0x10000)
        return 0;
    const uint16_t found = ReverseTable()[unicode];
    if (found == 0)
        return 0;
    *code = found;
    return 2;
}

// Minimal UTF-8 reader for our own texts; a malformed byte reads as U+FFFD.
uint32_t NextUtf8(const unsigned char*& p)
{
    unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0)
        return ReplacementCharacter;
    uint32_t value = c & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((*p & 0xC0) != 0x80)
            return ReplacementCharacter;
        value = (value << 6) | (*p++ & 0x3F);
    }
    return value;
}

void AppendUtf8(std::string& out, uint32_t unicode)
{
    if (unicode < 0x80) {
        out += static_cast<char>(unicode);
    } else if (unicode < 0x800) {
        out += static_cast<char>(0xC0 | (unicode >> 6));
        out += static_cast<char>(0x80 | (unicode & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (unicode >> 12));
        out += static_cast<char>(0x80 | ((unicode >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unicode & 0x3F));
    }
}

}  // namespace

uint32_t DecodeCp936(const uint8_t* bytes, size_t length, size_t* consumed)
{
    if (length == 0) {
        *consumed = 0;
        return ReplacementCharacter;
    }
    *consumed = 1;
    uint8_t first = bytes[0];
    if (first < 0x80)
        return first;
    if (first == EuroByte)
        return EuroSign;
    if (first == LastByte)
        return LastByteCharacter;
    if (length < 2 || bytes[1] < FirstTrail || bytes[1] > LastTrail)
        return ReplacementCharacter;
    uint16_t unicode = DoubleByteTable[first - FirstLead][bytes[1] - FirstTrail];
    if (unicode == 0)
        return ReplacementCharacter;
    *consumed = 2;
    return unicode;
}

void AppendCp936AsUtf8(std::string& out, const char* text, size_t length)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    for (size_t at = 0; at < length;) {
        size_t ascii = at;  // most slot texts are ASCII whole: appended as one run, no table
        while (ascii < length && bytes[ascii] < 0x80)
            ++ascii;
        out.append(text + at, ascii - at);
        if ((at = ascii) == length)
            break;
        size_t consumed = 0;
        AppendUtf8(out, DecodeCp936(bytes + at, length - at, &consumed));
        at += consumed;
    }
}

std::string Cp936ToUtf8(const char* text, size_t length)
{
    std::string out;
    AppendCp936AsUtf8(out, text, length);
    return out;
}

int Utf8ToCp936(const char* utf8, char* buffer, int size)
{
    if (size <= 0)
        return 0;
    int written = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        uint16_t code = '?';
        int width = EncodeCharacter(NextUtf8(p), &code);
        if (width == 0)
            width = 1;
        if (written + width > size - 1)
            break;  // no partial character, as LoadStringA
        if (width == 2)
            buffer[written++] = static_cast<char>(code >> 8);
        buffer[written++] = static_cast<char>(code & 0xFF);
    }
    buffer[written] = 0;
    return written;
}
