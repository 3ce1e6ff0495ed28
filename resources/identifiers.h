// The three fixed identifiers: type library, IView and View differ only in the last two
// hexadecimal digits of their first group (A0, AC, AD). Made once; never change them.
// The interface definition includes this file too, so the type library and the code read
// the same text; only the macros below are visible to the IDL compiler.
#pragma once

#define ORVANE_LIBRARY_ID 6D3B51A0-8C4E-4F27-9B1D-52E07A3C9641
#define ORVANE_VIEW_INTERFACE_ID 6D3B51AC-8C4E-4F27-9B1D-52E07A3C9641
#define ORVANE_VIEW_CLASS_ID 6D3B51AD-8C4E-4F27-9B1D-52E07A3C9641

#ifndef __WIDL__

#include <cstdint>

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

namespace identifier_text {

#define ORVANE_GUID_TEXT(id) ORVANE_GUID_TEXT_OF(id)
#define ORVANE_GUID_TEXT_OF(id) #id

// Not constexpr: a constant evaluation that reaches it fails the build.
inline uint32_t RefusedAtCompileTime(const char* /*why*/) { return 0; }

constexpr uint32_t HexDigit(char digit)
{
    return digit >= '0' && digit <= '9'   ? uint32_t(digit - '0')
           : digit >= 'A' && digit <= 'F' ? uint32_t(digit - 'A' + 10)
           : digit >= 'a' && digit <= 'f' ? uint32_t(digit - 'a' + 10)
                                          : RefusedAtCompileTime("not a hexadecimal digit");
}

constexpr uint32_t HexField(const char* text, int first, int count)
{
    uint32_t value = 0;
    for (int i = first; i < first + count; ++i)
        value = value * 16 + HexDigit(text[i]);
    return value;
}

// The registry form without braces: 8-4-4-4-12 hexadecimal digits.
constexpr Guid Parse(const char (&text)[37])
{
    if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
        RefusedAtCompileTime("not a GUID");
    Guid id{HexField(text, 0, 8), uint16_t(HexField(text, 9, 4)), uint16_t(HexField(text, 14, 4)), {}};
    for (int i = 0; i < 2; ++i)
        id.data4[i] = uint8_t(HexField(text, 19 + 2 * i, 2));
    for (int i = 0; i < 6; ++i)
        id.data4[2 + i] = uint8_t(HexField(text, 24 + 2 * i, 2));
    return id;
}

}  // namespace identifier_text

constexpr Guid LibraryIdOrvane = identifier_text::Parse(ORVANE_GUID_TEXT(ORVANE_LIBRARY_ID));
constexpr Guid InterfaceIdView = identifier_text::Parse(ORVANE_GUID_TEXT(ORVANE_VIEW_INTERFACE_ID));
constexpr Guid ClassIdView = identifier_text::Parse(ORVANE_GUID_TEXT(ORVANE_VIEW_CLASS_ID));

static_assert(LibraryIdOrvane.data1 == 0x6D3B51A0 && LibraryIdOrvane.data4[7] == 0x41,
              "the identifier text is read as written");

#endif
