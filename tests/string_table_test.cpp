// The string table: ids, texts and the 63-byte load.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "resources/code_page_936.h"
#include "resources/text_table.h"

namespace {

std::vector<TextId> ExpectedIds()
{
    const std::pair<TextId, TextId> ranges[] = {{100, 103}, {110, 150}, {160, 173}, {180, 186},
                                                {200, 226}, {230, 236}, {250, 251}, {260, 265},
                                                {280, 282}, {286, 288}, {290, 293}, {300, 310}};
    std::vector<TextId> ids;
    for (const auto& range : ranges)
        for (TextId id = range.first; id <= range.second; ++id)
            ids.push_back(id);
    return ids;
}

std::string Load(TextId id, int size = 64)
{
    char buffer[64];
    memset(buffer, 0x5A, sizeof buffer);
    int length = LoadTextCp936(id, buffer, size);
    EXPECT_EQ(static_cast<size_t>(length), strnlen(buffer, sizeof buffer)) << id;
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

}  // namespace

TEST(StringTable, HoldsExactlyTheListedIds)
{
    size_t count = 0;
    const TextEntry* texts = TextTable(&count);
    std::vector<TextId> ids;
    for (size_t i = 0; i < count; ++i)
        ids.push_back(texts[i].id);
    EXPECT_EQ(count, 129u);
    EXPECT_EQ(ids, ExpectedIds());
}

TEST(StringTable, EveryTextFitsInSixtyThreeBytes)
{
    for (TextId id : ExpectedIds()) {
        char buffer[256];
        int length = Utf8ToCp936(FindText(id), buffer, sizeof buffer);
        EXPECT_LE(length, 63) << id;
        EXPECT_EQ(Load(id), std::string(buffer, static_cast<size_t>(length))) << id;
        EXPECT_EQ(std::string(buffer).find('?'), std::string::npos) << id << " lacks a character";
    }
}

TEST(StringTable, ReservedLightSourcesAreFourBlanks)
{
    for (TextId id : {205u, 206u, 207u, 208u, 216u})
        EXPECT_EQ(Load(id), "    ") << id;
}

TEST(StringTable, TextsAreCodePage936Bytes)
{
    EXPECT_EQ(Load(230), "\xB9\xD8 ");                                // 关
    EXPECT_EQ(Load(231), "\xBF\xAA ");                                // 开
    EXPECT_EQ(Load(113), "\xC8\xED\xBC\xFE    ");                     // 软件, blanks kept
    EXPECT_EQ(Load(125), "\xB8\xD0\xB9\xE2\xB6\xC8");                  // 感光度, not padded
    EXPECT_EQ(Load(135), "\xCA\xFD\xD7\xD6\xB1\xE4\xBD\xB9 ");         // 数字变焦 and one blank
    EXPECT_EQ(Load(305), "ok");
}

TEST(StringTable, LoadIsCutWithoutSplittingACharacter)
{
    EXPECT_EQ(Load(301, 10), Load(301).substr(0, 8));   // four characters, no half of a fifth
    EXPECT_EQ(Load(301, 9), Load(301).substr(0, 8));
    EXPECT_EQ(Load(265, 6), Load(265).substr(0, 4));
    EXPECT_EQ(Load(220, 3), "D5");
    EXPECT_EQ(Load(301, 1), "");
    EXPECT_EQ(Load(301, 2), "");
}

TEST(StringTable, UnknownIdGivesAnEmptyText)
{
    for (TextId id : {0u, 99u, 104u, 151u, 237u, 299u, 311u, 0xFFFFFFFFu})
        EXPECT_EQ(Load(id), "") << id;
}
