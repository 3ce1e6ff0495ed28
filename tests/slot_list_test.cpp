// Which slots the properties list shows, and the rows built for them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "record/view_record.h"
#include "resources/text_table.h"
#include "ui/slot_list.h"
#include "view/default_platform.h"

namespace {

// Labels that show which id was asked for: "L110" for slot 0.
int NumberedLoader(Handle, TextId id, char* buffer, int size)
{
    const std::string text = "L" + std::to_string(id);
    const int length = std::min(static_cast<int>(text.size()), size - 1);
    memcpy(buffer, text.data(), static_cast<size_t>(length));
    buffer[length] = 0;
    return length;
}

int TableLoader(Handle, TextId id, char* buffer, int size) { return LoadTextCp936(id, buffer, size); }

struct Slots {
    Slots()
    {
        memset(texts, 0, sizeof texts);
        for (int i = 0; i < SlotCount; ++i)
            pointers[i] = texts[i];
    }
    char texts[SlotCount][SlotSize];
    const char* pointers[SlotCount];
};

TEST(SlotListing, EmptySlotIsNotListed) { EXPECT_FALSE(IsSlotListed("")); }

TEST(SlotListing, TwoLeadingBlanksHideSlot)
{
    EXPECT_FALSE(IsSlotListed("  "));
    EXPECT_FALSE(IsSlotListed("  F 2.8"));
}

TEST(SlotListing, OneLeadingBlankIsListed)
{
    EXPECT_TRUE(IsSlotListed(" F 2.8"));
    EXPECT_TRUE(IsSlotListed(" "));
    EXPECT_TRUE(IsSlotListed("x "));
}

TEST(SlotRows, RowsFollowSlotOrderWithTheirLabels)
{
    Slots slots;
    strcpy(slots.texts[40], "comment");
    strcpy(slots.texts[0], "description");
    strcpy(slots.texts[5], " artist");
    strcpy(slots.texts[7], "  hidden");
    SlotRow rows[SlotCount];
    ASSERT_EQ(BuildSlotRows(slots.pointers, NumberedLoader, nullptr, rows), 3);
    EXPECT_EQ(rows[0].slot, SlotDescription);
    EXPECT_STREQ(rows[0].label, "L110");
    EXPECT_STREQ(rows[0].text, "description");
    EXPECT_EQ(rows[1].slot, SlotArtist);
    EXPECT_STREQ(rows[1].label, "L115");
    EXPECT_STREQ(rows[1].text, " artist");
    EXPECT_EQ(rows[2].slot, SlotUserComment);
    EXPECT_STREQ(rows[2].label, "L150");
    EXPECT_STREQ(rows[2].text, "comment");
}

TEST(SlotRows, NoListedSlotGivesNoRows)
{
    Slots slots;
    strcpy(slots.texts[3], "  ");
    SlotRow rows[SlotCount];
    EXPECT_EQ(BuildSlotRows(slots.pointers, NumberedLoader, nullptr, rows), 0);
}

TEST(SlotRows, LabelsKeepTrailingBlanks)
{
    Slots slots;
    strcpy(slots.texts[SlotSoftware], "Tool");
    strcpy(slots.texts[SlotMake], "Maker");
    SlotRow rows[SlotCount];
    ASSERT_EQ(BuildSlotRows(slots.pointers, TableLoader, nullptr, rows), 2);
    EXPECT_STREQ(rows[0].label, "\xCF\xE0\xBB\xFA\xB3\xA7\xC9\xCC");  // "相机厂商" in code page 936
    EXPECT_STREQ(rows[1].label, "\xC8\xED\xBC\xFE    ");              // "软件" and four blanks
}

TEST(SlotRows, UnterminatedSlotTextIsCutAt63Bytes)
{
    Slots slots;
    memset(slots.texts[SlotModel], 'm', SlotSize);
    SlotRow rows[SlotCount];
    memset(rows, 0x55, sizeof rows);
    ASSERT_EQ(BuildSlotRows(slots.pointers, NumberedLoader, nullptr, rows), 1);
    EXPECT_EQ(strlen(rows[0].text), 63u);
    EXPECT_EQ(std::string(rows[0].text), std::string(63, 'm'));
}

Handle seenModule = nullptr;
int ModuleRecordingLoader(Handle module, TextId id, char* buffer, int size)
{
    seenModule = module;
    return NumberedLoader(module, id, buffer, size);
}

TEST(SlotRows, RecordRowsUseItsModuleAndLoader)
{
    Platform platform = DefaultPlatform();
    platform.loadText = ModuleRecordingLoader;
    int module = 0;
    ViewRecord record(&module, platform);
    strcpy(record.slots[SlotIso], "ISO 100");
    SlotRow rows[SlotCount];
    ASSERT_EQ(BuildSlotRows(record, rows), 1);
    EXPECT_EQ(seenModule, &module);
    EXPECT_STREQ(rows[0].label, "L125");
    EXPECT_STREQ(rows[0].text, "ISO 100");
}

}  // namespace
