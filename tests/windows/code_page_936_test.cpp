// The built-in code page 936 conversion agrees with the system's, for every byte and pair.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/code_page_936.h"
#include "resources/text_table.h"
#include "windows_test_support.h"

namespace {

constexpr UINT CodePage936 = 936;

// The system's strict decoding of bytes: the UTF-16 units, or nothing when it rejects them.
std::wstring SystemDecode(const unsigned char* bytes, int length, bool* accepted)
{
    WCHAR wide[4] = {};
    int units = MultiByteToWideChar(CodePage936, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                                    length, wide, 4);
    *accepted = units > 0;
    return std::wstring(wide, static_cast<size_t>(units > 0 ? units : 0));
}

TEST(SystemCodePage936, EverySingleByteDecodesAsTheSystemDoes)
{
    for (int value = 0; value < 256; ++value) {
        const unsigned char byte = static_cast<unsigned char>(value);
        bool accepted = false;
        std::wstring system = SystemDecode(&byte, 1, &accepted);
        size_t consumed = 0;
        uint32_t decoded = DecodeCp936(&byte, 1, &consumed);
        SCOPED_TRACE(value);
        EXPECT_EQ(consumed, 1u);
        if (value == 0xFF) {
            // The strict conversion refuses a single byte that maps into the private use
            // area; the code page's own table, and the lenient conversion, give U+F8F5.
            EXPECT_FALSE(accepted);
            WCHAR lenient = 0;
            ASSERT_EQ(MultiByteToWideChar(CodePage936, 0, reinterpret_cast<const char*>(&byte), 1, &lenient, 1), 1);
            EXPECT_EQ(decoded, static_cast<uint32_t>(lenient));
        } else if (accepted) {
            ASSERT_EQ(system.size(), 1u);
            EXPECT_EQ(decoded, static_cast<uint32_t>(system[0]));
        } else {
            EXPECT_GE(value, 0x81) << "only a lead byte with nothing after it is refused";
            EXPECT_EQ(decoded, ReplacementCharacter);
        }
    }
}

// The rule for pairs, checked for all 126 x 256 of them: the system accepts a lead byte and
// a trail byte exactly when DecodeCp936 takes both bytes, and both give the same character.
// When the system rejects the pair, DecodeCp936 gives U+FFFD for the lead byte alone, and the
// trail byte decodes on its own. (Without MB_ERR_INVALID_CHARS the system instead turns the
// lead byte and any non-zero byte after it into one '?': see the next test.)
TEST(SystemCodePage936, EveryLeadTrailPairDecodesAsTheSystemDoes)
{
    int validPairs = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            const unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            bool accepted = false;
            std::wstring system = SystemDecode(pair, 2, &accepted);
            size_t consumed = 0;
            uint32_t decoded = DecodeCp936(pair, 2, &consumed);
            SCOPED_TRACE(testing::Message() << std::hex << lead << " " << trail);
            if (accepted) {
                ASSERT_EQ(system.size(), 1u) << "an accepted pair is one character";
                EXPECT_EQ(consumed, 2u);
                EXPECT_EQ(decoded, static_cast<uint32_t>(system[0]));
                EXPECT_NE(decoded, ReplacementCharacter);
                ++validPairs;
            } else {
                EXPECT_EQ(consumed, 1u);
                EXPECT_EQ(decoded, ReplacementCharacter);
            }
        }
    }
    EXPECT_GT(validPairs, 21000) << "the double-byte half is there at all";
}

TEST(SystemCodePage936, LenientSystemDecodingSwallowsTheByteAfterABadLeadByte)
{
    // The difference from DecodeCp936, pinned: 81 30 41 is '?' 'A' to the system, but
    // U+FFFD '0' 'A' to DecodeCp936, which keeps every byte that can stand on its own.
    const char bytes[] = "\x81\x30\x41";
    WCHAR wide[4] = {};
    ASSERT_EQ(MultiByteToWideChar(CodePage936, 0, bytes, 3, wide, 4), 2);
    EXPECT_EQ(wide[0], L'?');
    EXPECT_EQ(wide[1], L'A');
    EXPECT_EQ(Cp936ToUtf8(bytes, 3), "\xEF\xBF\xBD" "0A");
}

std::wstring Utf8ToWide(const char* utf8)
{
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], units);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// flags 0 is what LoadStringA does; WC_NO_BEST_FIT_CHARS leaves out the look-alikes.
std::string SystemEncode(const std::wstring& wide, DWORD flags = 0)
{
    int bytes = WideCharToMultiByte(CodePage936, flags, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CodePage936, flags, wide.c_str(), -1, &narrow[0], bytes, nullptr, nullptr);
    narrow.resize(strlen(narrow.c_str()));
    return narrow;
}

TEST(SystemCodePage936, EveryTextEncodesAsTheSystemDoes)
{
    size_t count = 0;
    const TextEntry* table = TextTable(&count);
    for (size_t i = 0; i < count; ++i) {
        char builtIn[256];
        int length = Utf8ToCp936(table[i].utf8, builtIn, sizeof builtIn);
        SCOPED_TRACE(table[i].id);
        EXPECT_EQ(std::string(builtIn, static_cast<size_t>(length)), SystemEncode(Utf8ToWide(table[i].utf8)));
    }
}

// UTF-8 of one code point of the Basic Multilingual Plane.
std::string Utf8Of(uint32_t unicode)
{
    std::string out;
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
    return out;
}

// Utf8ToCp936 writes '?' for a character without its own code, as the system does with
// WC_NO_BEST_FIT_CHARS; without the flag the system writes a look-alike for a few hundred of
// them (U+00A5 becomes A3 A4), which no text of the table contains (the test above).
TEST(SystemCodePage936, EveryCharacterOfThePlaneEncodesAsTheSystemWithoutBestFit)
{
    int differences = 0;
    for (uint32_t unicode = 1; unicode <= 0xFFFF; ++unicode) {
        if (unicode >= 0xD800 && unicode <= 0xDFFF)
            continue;  // halves of surrogate pairs are no characters on their own
        char builtIn[8];
        int length = Utf8ToCp936(Utf8Of(unicode).c_str(), builtIn, sizeof builtIn);
        std::string system = SystemEncode(std::wstring(1, static_cast<wchar_t>(unicode)), WC_NO_BEST_FIT_CHARS);
        if (std::string(builtIn, static_cast<size_t>(length)) != system && ++differences <= 20)
            ADD_FAILURE() << std::hex << "U+" << unicode << ": built-in " << length << " bytes, system "
                          << system.size();
    }
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(SystemEncode(L"\u00a5"), "\xA3\xA4") << "the best fit that the built-in table leaves out";
}

}  // namespace
