// Bounds of the interpreter's writes: every text stays inside its slot, and nothing it does
// not own changes.
#include <cstring>

#include "exif/tag_table.h"
#include "support/interpreter_fixture.h"

namespace {

constexpr uint8_t Poison = 0xA5;

// A record whose every byte the interpreter might touch holds a pattern, slots terminated.
void PoisonRecord(ViewRecord& view)
{
    for (auto& slot : view.slots) {
        memset(slot, Poison, SlotSize);
        slot[SlotSize - 1] = 0;
    }
    memset(view.scratch, Poison, sizeof view.scratch);
    memset(view.valueArea, Poison, sizeof view.valueArea);
    view.exifIfdOffset = 0xDEADBEEF;
    view.makerNoteOffset = 0xDEADBEEF;
}

int ChangedSlots(const ViewRecord& before, const ViewRecord& after)
{
    int changed = 0;
    for (int slot = 0; slot < SlotCount; ++slot)
        if (memcmp(before.slots[slot], after.slots[slot], SlotSize) != 0)
            ++changed;
    return changed;
}

}  // namespace

using SlotLimits = InterpreterTest;

TEST_F(SlotLimits, ManyHeightsAreCutAt63Bytes)
{
    intel.Long(TagPixelXDimension, 1600);
    for (int i = 0; i < 30; ++i)
        intel.Long(TagPixelYDimension, 1200);
    std::string expected = "1600 x ";
    while (expected.size() < SlotSize - 1)
        expected += "1200";
    EXPECT_EQ(Slot(SlotImageSize), expected.substr(0, SlotSize - 1));
    EXPECT_EQ(view.slots[SlotImageSize][SlotSize - 1], 0);
    EXPECT_EQ(Slot(SlotColorComponents), "");
}

TEST_F(SlotLimits, ManyAppendedWordsAreCutAt63Bytes)
{
    intel.Short(TagExposureProgram, 2);
    for (int i = 0; i < 20; ++i) {
        intel.Short(TagExposureMode, 2);
        intel.Short(TagSceneCaptureType, 2);
    }
    std::string expected = Gbk("自动");
    while (expected.size() < SlotSize - 1)
        expected += Gbk(" 自动包围 肖像");
    EXPECT_EQ(Slot(SlotExposureMode), expected.substr(0, SlotSize - 1));
    EXPECT_EQ(Slot(SlotIso), "");

    intel.SignedRational(TagSubjectDistance, 5, 1);
    for (int i = 0; i < 20; ++i)
        intel.Short(TagSubjectDistanceRange, 3);
    EXPECT_EQ(Slot(SlotDistance).size(), size_t{SlotSize - 1});
    EXPECT_EQ(Slot(SlotSceneMode), "");
}

TEST_F(SlotLimits, NumericRuleChangesOnlyItsSlotAndItsRational)
{
    PoisonRecord(view);
    ViewRecord before = view;
    motorola.Rational(TagExposureTime, 1, 60);
    EXPECT_EQ(Slot(SlotExposureTime), "1/60s");
    EXPECT_EQ(ChangedSlots(before, view), 1);
    EXPECT_EQ(memcmp(view.scratch + 1, before.scratch + 1, SlotSize - 1), 0);   // byte 0: the walk's
    EXPECT_EQ(memcmp(view.valueArea + 8, before.valueArea + 8, sizeof view.valueArea - 8), 0);
    EXPECT_EQ(view.exifIfdOffset, 0xDEADBEEFu);
    EXPECT_EQ(view.makerNoteOffset, 0xDEADBEEFu);
    EXPECT_TRUE(LoadedTextIds().empty());
}

TEST_F(SlotLimits, RuleWithoutTextChangesNothing)
{
    PoisonRecord(view);
    ViewRecord before = view;
    intel.Rational(TagCompressedBitsPerPixel, 3, 0);
    intel.SignedRational(TagBrightnessValue, 1, 0);
    intel.Short(TagMeteringMode, 7);
    intel.Short(TagExposureMode, 1);      // the slot is not empty and 1 is no appended word
    intel.Short(0x9999, 1);                 // a tag of no row
    EXPECT_EQ(ChangedSlots(before, view), 0);
    EXPECT_TRUE(LoadedTextIds().empty());
}

TEST_F(SlotLimits, EnumerationLeavesItsTextInScratch)
{
    PoisonRecord(view);
    intel.Short(TagMeteringMode, 1);
    EXPECT_EQ(std::string(view.scratch), TableText(181));
    EXPECT_EQ(Slot(SlotMetering), TableText(181));
    // Past the terminator the load wrote nothing of its own: the poison is still there.
    EXPECT_EQ(static_cast<uint8_t>(view.scratch[SlotSize - 1]), Poison);
}

TEST_F(SlotLimits, PoisonedSlotIsFullyReplaced)
{
    PoisonRecord(view);
    intel.Short(TagFlash, 16);
    EXPECT_EQ(Slot(SlotFlash), TableText(230) + TableText(232));
}
