// The resource string table that windres builds agrees with the built-in table, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "record/platform.h"
#include "record/view_record.h"
#include "resources/text_table.h"
#include "windows_test_support.h"
#include "view/default_platform.h"

namespace {

constexpr int LoadSize = 64;   // every load in the system passes 64

std::set<TextId> KnownIds()
{
    size_t count = 0;
    const TextEntry* table = TextTable(&count);
    std::set<TextId> ids;
    for (size_t i = 0; i < count; ++i)
        ids.insert(table[i].id);
    return ids;
}

TEST(ResourceStringTable, RunsInCodePage936)
{
    // Without LC_ALL=zh_CN.UTF-8 Wine runs in 1252 and every Chinese text becomes '?'.
    ASSERT_EQ(GetACP(), 936u);
}

TEST(ResourceStringTable, EveryTextLoadsAsTheBuiltInCodePage936Bytes)
{
    ASSERT_EQ(GetACP(), 936u);
    size_t count = 0;
    const TextEntry* table = TextTable(&count);
    ASSERT_GT(count, 0u);
    for (size_t i = 0; i < count; ++i) {
        char fromResource[LoadSize];
        char builtIn[LoadSize];
        memset(fromResource, 0x55, sizeof fromResource);
        memset(builtIn, 0x55, sizeof builtIn);
        int resourceLength = LoadStringA(TestModule(), table[i].id, fromResource, LoadSize);
        int builtInLength = LoadTextCp936(table[i].id, builtIn, LoadSize);
        SCOPED_TRACE(table[i].id);
        ASSERT_GT(resourceLength, 0);
        ASSERT_EQ(resourceLength, builtInLength);
        EXPECT_EQ(0, memcmp(fromResource, builtIn, static_cast<size_t>(resourceLength) + 1));
        EXPECT_LT(resourceLength, LoadSize) << "every text fits a 64-byte buffer";
    }
}

TEST(ResourceStringTable, UnknownIdsLoadNothingInBothTables)
{
    ASSERT_EQ(GetACP(), 936u);
    const std::set<TextId> known = KnownIds();
    int unknownSeen = 0;
    for (TextId id = 0; id < 1024; ++id) {
        if (known.count(id))
            continue;
        ++unknownSeen;
        char fromResource[LoadSize] = "stale";
        char builtIn[LoadSize] = "stale";
        SCOPED_TRACE(id);
        EXPECT_EQ(LoadStringA(TestModule(), id, fromResource, LoadSize), 0);
        EXPECT_EQ(LoadTextCp936(id, builtIn, LoadSize), 0);
        EXPECT_EQ(fromResource[0], 0);
        EXPECT_EQ(builtIn[0], 0);
    }
    EXPECT_GT(unknownSeen, 800);
}

TEST(ResourceStringTable, SmallBuffersCutBothTablesAlike)
{
    // The system always passes 64, but the two loaders claim the same cutting rule.
    ASSERT_EQ(GetACP(), 936u);
    size_t count = 0;
    const TextEntry* table = TextTable(&count);
    for (size_t i = 0; i < count; ++i) {
        for (int size = 2; size <= LoadSize; ++size) {
            char fromResource[LoadSize];
            char builtIn[LoadSize];
            int resourceLength = LoadStringA(TestModule(), table[i].id, fromResource, size);
            int builtInLength = LoadTextCp936(table[i].id, builtIn, size);
            SCOPED_TRACE(testing::Message() << "id " << table[i].id << ", size " << size);
            ASSERT_EQ(resourceLength, builtInLength);
            ASSERT_EQ(0, memcmp(fromResource, builtIn, static_cast<size_t>(resourceLength) + 1));
        }
    }
}

TEST(ResourceStringTable, PlatformLoadTextReadsTheModulesTable)
{
    ASSERT_EQ(GetACP(), 936u);
    char loaded[LoadSize] = {};
    char expected[LoadSize] = {};
    int length = DefaultPlatform().loadText(TestModule(), MessageCannotRead, loaded, LoadSize);
    ASSERT_EQ(length, LoadTextCp936(MessageCannotRead, expected, LoadSize));
    EXPECT_STREQ(loaded, expected);
    EXPECT_EQ(DefaultPlatform().loadText(TestModule(), 999, loaded, LoadSize), 0);
    EXPECT_EQ(loaded[0], 0);
}

TEST(ResourceStringTable, TextsAreTheDesignedCodePage936Bytes)
{
    // Written out here, not made from the list both tables come from: a wrong text in that
    // list would pass every comparison of the two tables.
    ASSERT_EQ(GetACP(), 936u);
    struct Case {
        TextId id;
        const char* bytes;
    } cases[] = {
        {100, "Orvane"},
        {113, "\xC8\xED\xBC\xFE    "},                      // software, four blanks
        {117, "Exif \xB0\xE6\xB1\xBE"},                     // Exif version
        {135, "\xCA\xFD\xD7\xD6\xB1\xE4\xBD\xB9 "},         // digital zoom, one blank
        {230, "\xB9\xD8 "},                                   // off, one blank
        {236, "\xC2\xFD\xCD\xAC\xB2\xBD "},                 // slow sync, one blank
        {300, "\xB2\xBB\xC4\xDC\xB6\xC1\xC8\xA1\xCD\xBC\xC6\xAC\xA3\xAC\xCD\xBC\xC6\xAC\xB5\xD8\xD6\xB7"
              "\xB4\xED\xCE\xF3\xA1\xA3"},
        {303, "\xB8\xC3\xCD\xBC\xC6\xAC\xC3\xBB\xD3\xD0 EXIF \xD0\xC5\xCF\xA2\xA1\xA3"},
        {305, "ok"},
    };
    for (const Case& c : cases) {
        char fromResource[LoadSize];
        char builtIn[LoadSize];
        memset(fromResource, 0x55, sizeof fromResource);
        LoadStringA(TestModule(), c.id, fromResource, LoadSize);
        LoadTextCp936(c.id, builtIn, LoadSize);
        EXPECT_STREQ(fromResource, c.bytes) << "id " << c.id;
        EXPECT_STREQ(builtIn, c.bytes) << "id " << c.id;
    }
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found)
{
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

TEST(ResourceStringTable, ResourceLanguageIsChinesePrc)
{
    // Strings live in blocks of 16: block id / 16 + 1 holds id. Each block exists once, in
    // Chinese (PRC) and in no other language.
    const WORD ChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    for (TextId id : {TextProductName, MessageBadAddress, MessageOk}) {
        std::vector<WORD> languages;
        EnumResourceLanguagesA(TestModule(), RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::vector<WORD>{ChinesePrc}) << "id " << id;
    }
}

TEST(ResourceStringTable, NullModuleMeansTheProgramItself)
{
    // A View record built without a module (the command line's) reads the program's table.
    ASSERT_EQ(GetACP(), 936u);
    ViewRecord record{nullptr, DefaultPlatform()};
    char loaded[SlotSize] = {};
    char expected[SlotSize] = {};
    record.LoadText(TextProductName, loaded);
    LoadTextCp936(TextProductName, expected, SlotSize);
    EXPECT_STREQ(loaded, expected);
    EXPECT_STREQ(loaded, "Orvane");
}

}  // namespace
