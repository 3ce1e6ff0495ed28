// Code page 936 bytes to Unicode: the JSON output and the messages depend on these rules.
#include <gtest/gtest.h>

#include <string>

#include "resources/code_page_936.h"

namespace {

struct Decoded {
    uint32_t character;
    size_t consumed;
};

Decoded Decode(const std::string& bytes)
{
    size_t consumed = 99;
    uint32_t character = DecodeCp936(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &consumed);
    return {character, consumed};
}

TEST(CodePage936Decode, DefinedPairsAndSingleBytes)
{
    EXPECT_EQ(Decode("\xB0\xA1").character, 0x554Au);  // 啊
    EXPECT_EQ(Decode("\xB0\xA1").consumed, 2u);
    EXPECT_EQ(Decode("A").character, uint32_t{'A'});
    EXPECT_EQ(Decode("\x80").character, 0x20ACu);      // the euro sign, as Windows maps it
    EXPECT_EQ(Decode("\x80").consumed, 1u);
}

TEST(CodePage936Decode, InvalidLeadByteTakesOnlyItself)
{
    Decoded atEnd = Decode("\xB0");
    EXPECT_EQ(atEnd.character, ReplacementCharacter);
    EXPECT_EQ(atEnd.consumed, 1u);
    Decoded beforeDigit = Decode("\x81\x30");  // 0x30 is no trail byte
    EXPECT_EQ(beforeDigit.character, ReplacementCharacter);
    EXPECT_EQ(beforeDigit.consumed, 1u);
    Decoded undefinedPair = Decode("\x81\x7F");  // in the trail range, but not defined
    EXPECT_EQ(undefinedPair.character, ReplacementCharacter);
    EXPECT_EQ(undefinedPair.consumed, 1u);
}

TEST(CodePage936Decode, EmptyInputReadsNothing)
{
    uint8_t poison = 0xB0;  // a lead byte behind the end must not be looked at
    size_t consumed = 99;
    EXPECT_EQ(DecodeCp936(&poison, 0, &consumed), ReplacementCharacter);
    EXPECT_EQ(consumed, 0u);
}

TEST(CodePage936Decode, TextKeepsGoingAfterAnInvalidByte)
{
    EXPECT_EQ(Cp936ToUtf8("\xB0\xA1\x81" "0A", 5), "\xE5\x95\x8A\xEF\xBF\xBD" "0A");
    EXPECT_EQ(Cp936ToUtf8("\xB9\xD8\x20", 3), "\xE5\x85\xB3 ");  // "关 "
}

}  // namespace
