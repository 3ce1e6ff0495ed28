// The tag table itself: every row complete and consistent with the string table.
#include <gtest/gtest.h>

#include <set>

#include "exif/tag_table.h"
#include "resources/text_table.h"

namespace {

const TagRow* Rows(size_t* count) { return TagRows(count); }

bool IsPointer(const TagRow& row)
{
    return row.write == WriteRule::RecordExifIfd || row.write == WriteRule::RecordMakerNote;
}

}  // namespace

TEST(TagTable, HoldsFiftySevenDistinctTags)
{
    size_t count = 0;
    const TagRow* rows = Rows(&count);
    ASSERT_EQ(count, 57u);
    std::set<uint16_t> tags;
    for (size_t i = 0; i < count; ++i)
        EXPECT_TRUE(tags.insert(rows[i].tag).second) << "duplicate tag " << rows[i].tag;
    for (size_t i = 0; i < count; ++i)
        EXPECT_EQ(FindTagRow(rows[i].tag), &rows[i]) << rows[i].tag;
    EXPECT_EQ(FindTagRow(0), nullptr);
    EXPECT_EQ(FindTagRow(0xFFFF), nullptr);
}

TEST(TagTable, EveryEnumerationRangeHasTexts)
{
    size_t count = 0;
    const TagRow* rows = Rows(&count);
    for (size_t i = 0; i < count; ++i) {
        const TagRow& row = rows[i];
        if (row.format || IsPointer(row))
            continue;
        ASSERT_NE(row.enumBase, 0u) << row.tag;
        for (uint32_t index = 0; index <= row.enumMax; ++index)
            EXPECT_NE(FindText(row.enumBase + index), nullptr) << row.tag << " index " << index;
        for (size_t r = 0; r < row.remap.count; ++r)
            EXPECT_LE(row.remap.pairs[r].to, row.enumMax) << row.tag << " remap " << r;
        for (size_t w = 0; w < row.appendWords.count; ++w)
            EXPECT_LE(row.appendWords.values[w], row.enumMax) << row.tag;
    }
}

TEST(TagTable, EverySlotRowHasALabelAndPointersHaveNoSlot)
{
    size_t count = 0;
    const TagRow* rows = Rows(&count);
    std::set<int> written;
    for (size_t i = 0; i < count; ++i) {
        const TagRow& row = rows[i];
        if (IsPointer(row)) {
            EXPECT_EQ(row.slot, NoSlot) << row.tag;
            continue;
        }
        ASSERT_GE(row.slot, 0) << row.tag;
        ASSERT_LT(row.slot, SlotCount) << row.tag;
        EXPECT_NE(FindText(TextSlotLabelBase + static_cast<TextId>(row.slot)), nullptr) << row.tag;
        EXPECT_TRUE(row.format || row.write != WriteRule::Append) << row.tag;
        written.insert(row.slot);
    }
    // Four labelled slots have no tag: colour components, slow sync, scene mode, user comment.
    EXPECT_EQ(written.size(), size_t{SlotCount - 4});
    for (InfoSlot unwritten : {SlotColorComponents, SlotSlowSync, SlotSceneMode, SlotUserComment})
        EXPECT_EQ(written.count(unwritten), 0u) << unwritten;
}
