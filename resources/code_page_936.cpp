// Code page 936 tables: the double-byte half comes from the Windows code page file.
#include "resources/code_page_936.h"

#include <algorithm>
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

struct Reverse {
    uint16_t unicode;
    uint16_t code;
};

// Built once, on the first encode; no heap.
const std::array<Reverse, LeadCount * TrailCount>& ReverseTable(size_t* used)
{
    static size_t count = 0;
    static const std::array<Reverse, LeadCount * TrailCount> table = [] {
        std::array<Reverse, LeadCount * TrailCount> built{};
        size_t n = 0;
        for (int lead = 0; lead < LeadCount; ++lead)
            for (int trail = 0; trail < TrailCount; ++trail)
                if (uint16_t unicode = DoubleByteTable[lead][trail])
                    built[n++] = {unicode, static_cast<uint16_t>(((FirstLead + lead) << 8) | (FirstTrail + trail))};
        std::sort(built.begin(), built.begin() + static_cast<std::ptrdiff_t>(n),
                  [](const Reverse& a, const Reverse& b) { return a.unicode < b.unicode; });
        count = n;
        return built;
    }();
    *used = count;
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
    size_t used = 0;
    const auto& table = ReverseTable(&used);
    auto end = table.begin() + static_cast<std::ptrdiff_t>(used);
    auto found = std::lower_bound(table.begin(), end, unicode,
                                  [](const Reverse& r, uint32_t u) { return r.unicode < u; });
    if (found == end || found->unicode != unicode)
        return 0;
    *code = found->code;
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
        if (bytes[at] < 0x80) {  // most slot texts are ASCII whole: no table for them
            out += static_cast<char>(bytes[at++]);
            continue;
        }
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
