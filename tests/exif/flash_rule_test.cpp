// The flash slot: words joined from the Exif Flash value, the maker note's flash mode and
// slow synchronisation.
#include <vector>

#include "exif/tag_table.h"
#include "support/interpreter_fixture.h"

namespace {

std::string Words(const std::vector<TextId>& ids)
{
    std::string text;
    for (TextId id : ids)
        text += TableText(id);
    return text;
}

struct FlashCase {
    uint16_t value;
    std::vector<TextId> words;
};

}  // namespace

using Flash = InterpreterTest;

TEST_F(Flash, ValueGivesItsWordsWithOneLoadEach)
{
    const FlashCase cases[] = {
        {0, {230}},        {1, {231}},           {7, {231}},           {9, {231, 232}},
        {16, {230, 232}},  {24, {230, 233}},     {25, {231, 233}},     {32, {230, 234}},
        {65, {231, 235}},  {73, {231, 232, 235}}, {89, {231, 233, 235}}, {95, {231, 233, 235}},
        {96, {230}},
    };
    for (const FlashCase& c : cases) {
        for (EntryBuilder* builder : {&intel, &motorola}) {
            LoadedTextIds().clear();
            Preset(SlotFlash, "previous text");
            builder->Short(TagFlash, c.value);
            EXPECT_EQ(Slot(SlotFlash), Words(c.words)) << c.value;
            EXPECT_EQ(LoadedTextIds(), c.words) << c.value;
        }
    }
}

TEST_F(Flash, WordsAreTheCodePageBytes)
{
    intel.Short(TagFlash, 0);
    EXPECT_EQ(Slot(SlotFlash), "\xB9\xD8 ");       // "关 "
    intel.Short(TagFlash, 89);
    EXPECT_EQ(Slot(SlotFlash), Gbk("开 自动 防红眼 "));
}

TEST_F(Flash, MakerNoteFlashModeOnlyFillsAnEmptySlot)
{
    intel.Short(TagFlash, 1);
    LoadedTextIds().clear();
    intel.Short(TagMakerNoteFlashMode, 2);
    EXPECT_EQ(Slot(SlotFlash), Gbk("开 "));
    EXPECT_TRUE(LoadedTextIds().empty());
    EXPECT_EQ(view.entry.valueOffset, 0u);   // remapped all the same
}

TEST_F(Flash, MakerNoteFlashModeRemapping)
{
    const std::pair<uint16_t, const char*> modes[] = {
        {0, "自动 "}, {1, "开 "}, {2, "关 "}, {3, "防红眼 "}, {4, "无 "}, {5, "防红眼 "}};
    for (const auto& mode : modes) {
        Preset(SlotFlash, "");
        intel.Short(TagMakerNoteFlashMode, mode.first);
        EXPECT_EQ(Slot(SlotFlash), Gbk(mode.second)) << mode.first;
    }
    Preset(SlotFlash, "");
    intel.Short(TagMakerNoteFlashMode, 6);
    EXPECT_EQ(Slot(SlotFlash), "");
}

TEST_F(Flash, SlowSyncAppendsOnlyForOne)
{
    intel.Short(TagFlash, 1);
    LoadedTextIds().clear();
    intel.Short(TagMakerNoteSlowSync, 0);
    intel.Short(TagMakerNoteSlowSync, 2);
    EXPECT_EQ(Slot(SlotFlash), Gbk("开 "));
    EXPECT_TRUE(LoadedTextIds().empty());
    intel.Short(TagMakerNoteSlowSync, 1);
    EXPECT_EQ(Slot(SlotFlash), TableText(231) + TableText(236));
    EXPECT_EQ(LoadedTextIds(), std::vector<TextId>{TextFlashSlowSync});
}

TEST_F(Flash, SlowSyncOnAnEmptySlotGivesItsWordAlone)
{
    intel.Short(TagMakerNoteSlowSync, 1);
    EXPECT_EQ(Slot(SlotFlash), Gbk("慢同步 "));
}

TEST_F(Flash, ManySlowSyncEntriesStopAt63Bytes)
{
    for (int i = 0; i < 12; ++i)
        intel.Short(TagMakerNoteSlowSync, 1);
    std::string word = TableText(236);   // 7 bytes: nine of them fill the slot exactly
    std::string expected;
    for (int i = 0; i < 9; ++i)
        expected += word;
    EXPECT_EQ(Slot(SlotFlash), expected);
    EXPECT_EQ(Slot(SlotFlashStrength), "");   // the next slot is untouched
}
