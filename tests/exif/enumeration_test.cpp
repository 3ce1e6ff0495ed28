// Enumerated tags: texts by base and index, maxima, and the maker note's remappings.
#include <vector>

#include "exif/tag_table.h"
#include "support/interpreter_fixture.h"

namespace {

constexpr const char* Kept = "kept";

struct EnumCase {
    uint16_t stored;
    TextId text;   // 0: the slot keeps its text
};

// Each stored value in a new record whose slot first holds "kept".
void ExpectEnumeration(uint16_t tag, InfoSlot slot, std::initializer_list<EnumCase> cases)
{
    for (const EnumCase& c : cases) {
        for (ByteOrder order : BothByteOrders) {
            LoadedTextIds().clear();
            std::string text = FreshSlotText(order, slot, [&](EntryBuilder& b) { b.Short(tag, c.stored); }, Kept);
            if (c.text) {
                EXPECT_EQ(text, TableText(c.text)) << tag << " " << c.stored << " " << OrderName(order);
                EXPECT_EQ(LoadedTextIds(), std::vector<TextId>{c.text});
            } else {
                EXPECT_EQ(text, Kept) << tag << " " << c.stored << " " << OrderName(order);
                EXPECT_TRUE(LoadedTextIds().empty()) << tag << " " << c.stored;
            }
        }
    }
}

}  // namespace

TEST(EnumerationBounds, ExifEnumerationsStopAtTheirMaximum)
{
    ExpectEnumeration(TagExposureProgram, SlotExposureMode, {{0, 160}, {2, 162}, {8, 168}, {9, 0}});
    ExpectEnumeration(TagMeteringMode, SlotMetering, {{0, 180}, {6, 186}, {7, 0}, {255, 0}});
    ExpectEnumeration(TagLightSource, SlotWhiteBalance,
                      {{1, 201}, {23, 223}, {24, 224}, {25, 0}, {255, 0}, {0xFFFF, 0}});
    ExpectEnumeration(TagCustomRendered, SlotMacro, {{0, 230}, {1, 231}, {2, 0}});
    ExpectEnumeration(TagContrast, SlotContrast, {{0, 280}, {2, 282}, {3, 0}});
    ExpectEnumeration(TagSaturation, SlotSaturation, {{1, 281}, {2, 282}, {3, 0}});
    ExpectEnumeration(TagSharpness, SlotSharpness, {{0, 286}, {2, 288}, {3, 0}});
}

TEST(EnumerationBounds, MakerNoteEnumerationsStopAtTheirMaximum)
{
    ExpectEnumeration(TagMakerNoteMacro, SlotMacro, {{0, 230}, {1, 231}, {2, 0}});
    ExpectEnumeration(TagMakerNoteFocusMode, SlotFocusMode, {{0, 250}, {1, 251}, {2, 0}});
    ExpectEnumeration(TagMakerNoteContinuous, SlotContinuous, {{0, 230}, {1, 231}, {2, 0}});
    ExpectEnumeration(TagMakerNoteBlurWarning, SlotBlurWarning, {{0, 260}, {1, 261}, {2, 0}});
    ExpectEnumeration(TagMakerNoteFocusWarning, SlotFocusWarning, {{0, 262}, {1, 263}, {2, 0}});
    ExpectEnumeration(TagMakerNoteAEWarning, SlotExposureWarning, {{0, 264}, {1, 265}, {2, 0}});
}

TEST(EnumerationBounds, ReservedLightSourcesShowFourBlanks)
{
    for (uint16_t reserved : std::initializer_list<uint16_t>{5, 6, 7, 8, 16})
        EXPECT_EQ(FreshSlotText(ByteOrder::Intel, SlotWhiteBalance,
                                [&](EntryBuilder& b) { b.Short(TagLightSource, reserved); }),
                  "    ")
            << reserved;
    EXPECT_EQ(FreshSlotText(ByteOrder::Intel, SlotWhiteBalance, [](EntryBuilder& b) { b.Short(TagLightSource, 23); }),
              "D50");
    EXPECT_EQ(FreshSlotText(ByteOrder::Intel, SlotWhiteBalance, [](EntryBuilder& b) { b.Short(TagLightSource, 24); }),
              Gbk("ISO 白炽灯"));
}

TEST(EnumerationBounds, LoadEnumTextUsesTheCurrentValue)
{
    ViewRecord view(nullptr, RecordingPlatform());
    view.entry.valueOffset = 3;
    view.LoadEnumText(TextMeteringBase, 3, SlotMetering);
    EXPECT_EQ(SlotText(view, SlotMetering), Gbk("点测光"));
    EXPECT_EQ(std::string(view.scratch), Gbk("点测光"));   // loaded through scratch
    view.entry.valueOffset = 0x10003;   // above any 16-bit maximum
    view.LoadEnumText(TextMeteringBase, 0xFFFF, SlotMetering);
    EXPECT_EQ(SlotText(view, SlotMetering), Gbk("点测光"));
}

TEST(Remapping, MakerNoteWhiteBalance)
{
    ExpectEnumeration(TagMakerNoteWhiteBalance, SlotWhiteBalance,
                      {{0, 226}, {256, 201}, {512, 210}, {768, 212}, {769, 213}, {770, 214},
                       {1024, 203}, {3840, 225}, {1, 201}, {26, 226}, {27, 0}, {4000, 0}});
}

TEST(Remapping, MakerNotePictureMode)
{
    ExpectEnumeration(TagMakerNotePictureMode, SlotExposureMode,
                      {{0, 162}, {1, 167}, {2, 168}, {3, 163}, {4, 171}, {5, 170}, {6, 172},
                       {7, 167}, {12, 172}, {13, 0}, {256, 163}, {512, 164}, {768, 161}, {769, 0}});
}

TEST(Remapping, MakerNoteSharpnessColorAndTone)
{
    ExpectEnumeration(TagMakerNoteSharpness, SlotSharpness,
                      {{0, 286}, {1, 287}, {2, 287}, {3, 286}, {4, 288}, {5, 288}, {6, 0}});
    for (uint16_t tag : {uint16_t{TagMakerNoteColor}, uint16_t{TagMakerNoteTone}})
        ExpectEnumeration(tag, tag == TagMakerNoteColor ? SlotSaturation : SlotContrast,
                          {{0, 280}, {256, 282}, {512, 281}, {1, 281}, {2, 282}, {3, 0}, {768, 0}});
}

TEST(Remapping, RemappedValueOverwritesTheEntry)
{
    ViewRecord view(nullptr, RecordingPlatform());
    EntryBuilder builder(view, ByteOrder::Intel);
    builder.Short(TagMakerNotePictureMode, 256);
    EXPECT_EQ(view.entry.valueOffset, 3u);
    builder.Short(TagMakerNoteWhiteBalance, 3840);
    EXPECT_EQ(view.entry.valueOffset, 25u);
    builder.Short(TagMakerNoteWhiteBalance, 4000);   // not listed: kept as it is
    EXPECT_EQ(view.entry.valueOffset, 4000u);
    builder.Short(TagSceneCaptureType, 3);
    EXPECT_EQ(view.entry.valueOffset, 10u);
    builder.Short(TagMeteringMode, 2);               // no remapping at all
    EXPECT_EQ(view.entry.valueOffset, 2u);
}

TEST(Remapping, ExposureModeAndSceneOnAnEmptySlot)
{
    for (const auto& c : std::initializer_list<std::pair<uint16_t, TextId>>{
             {0, 162}, {1, 161}, {2, 173}, {3, 163}, {13, 173}, {14, 0}}) {
        std::string text = FreshSlotText(ByteOrder::Motorola, SlotExposureMode,
                                         [&](EntryBuilder& b) { b.Short(TagExposureMode, c.first); });
        EXPECT_EQ(text, c.second ? TableText(c.second) : "") << c.first;
    }
    for (const auto& c : std::initializer_list<std::pair<uint16_t, TextId>>{
             {0, 169}, {1, 168}, {2, 167}, {3, 170}, {10, 170}, {11, 0}}) {
        std::string text = FreshSlotText(ByteOrder::Motorola, SlotExposureMode,
                                         [&](EntryBuilder& b) { b.Short(TagSceneCaptureType, c.first); });
        EXPECT_EQ(text, c.second ? TableText(c.second) : "") << c.first;
    }
}

TEST(Remapping, DistanceRangeOnAnEmptySlot)
{
    for (const auto& c : std::initializer_list<std::pair<uint16_t, TextId>>{
             {0, 290}, {1, 291}, {2, 292}, {3, 293}, {4, 0}}) {
        std::string text = FreshSlotText(ByteOrder::Intel, SlotDistance,
                                         [&](EntryBuilder& b) { b.Short(TagSubjectDistanceRange, c.first); });
        EXPECT_EQ(text, c.second ? TableText(c.second) : "") << c.first;
    }
}
