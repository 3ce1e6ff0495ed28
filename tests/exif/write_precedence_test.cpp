// Slots that several tags write: which text wins follows the write rules in walk order.
#include "exif/tag_table.h"
#include "support/interpreter_fixture.h"

using WritePrecedence = InterpreterTest;

TEST_F(WritePrecedence, ShutterSpeedOnlyWithoutExposureTime)
{
    intel.Rational(TagExposureTime, 1, 60);
    intel.SignedRational(TagShutterSpeedValue, 7, 1);
    EXPECT_EQ(Slot(SlotExposureTime), "1/60s");
    Preset(SlotExposureTime, "");
    intel.SignedRational(TagShutterSpeedValue, 7, 1);
    EXPECT_EQ(Slot(SlotExposureTime), "1/128s");
    intel.SignedRational(TagShutterSpeedValue, 5, 1);   // a second one does nothing
    EXPECT_EQ(Slot(SlotExposureTime), "1/128s");
}

TEST_F(WritePrecedence, ApertureValueDoesNotReplaceFNumber)
{
    motorola.Rational(TagFNumber, 28, 10);
    motorola.Rational(TagApertureValue, 5, 1);
    EXPECT_EQ(Slot(SlotAperture), "F 2.8");
    Preset(SlotAperture, "");
    motorola.Rational(TagApertureValue, 5, 1);
    motorola.Rational(TagFNumber, 40, 10);
    EXPECT_EQ(Slot(SlotAperture), "F 4.0");
}

TEST_F(WritePrecedence, ExposureIndexDoesNotReplaceIsoSpeed)
{
    intel.Short(TagIsoSpeedRatings, 100);
    intel.Rational(TagExposureIndex, 400, 1);
    EXPECT_EQ(Slot(SlotIso), "ISO 100");
}

TEST_F(WritePrecedence, DigitizedTimeOnlyFillsAnEmptyShotTime)
{
    intel.Ascii(TagDateTimeOriginal, "2003:01:15 10:20:30");
    intel.Ascii(TagDateTimeDigitized, "2004:02:16 11:21:31");
    EXPECT_EQ(Slot(SlotShotTime), "2003-01-15 10:20:30");
    Preset(SlotShotTime, "");
    intel.Ascii(TagDateTimeDigitized, "2004:02:16 11:21:31");
    intel.Ascii(TagDateTimeOriginal, "2003:01:15 10:20:30");
    EXPECT_EQ(Slot(SlotShotTime), "2003-01-15 10:20:30");
}

TEST_F(WritePrecedence, SoftwareReplacesTheSoftwareName)
{
    intel.Ascii(TagProcessingSoftware, "Name 1.0");
    intel.Ascii(TagSoftware, "Software 2.0");
    EXPECT_EQ(Slot(SlotSoftware), "Software 2.0");
    intel.Ascii(TagProcessingSoftware, "Name 3.0");
    EXPECT_EQ(Slot(SlotSoftware), "Software 2.0");
}

TEST_F(WritePrecedence, ExposureModeAddsAutoBracketingAfterAProgram)
{
    intel.Short(TagExposureProgram, 2);
    intel.Short(TagExposureMode, 2);
    EXPECT_EQ(Slot(SlotExposureMode), Gbk("自动 自动包围"));
    LoadedTextIds().clear();
    intel.Short(TagExposureMode, 0);   // remapped to 2: no word of its own
    intel.Short(TagExposureMode, 1);
    EXPECT_EQ(Slot(SlotExposureMode), Gbk("自动 自动包围"));
    EXPECT_TRUE(LoadedTextIds().empty());
}

TEST_F(WritePrecedence, SceneTypeAddsPortraitLandscapeOrNight)
{
    intel.Short(TagExposureProgram, 3);
    intel.Short(TagSceneCaptureType, 0);   // standard adds nothing
    EXPECT_EQ(Slot(SlotExposureMode), Gbk("光圈优先"));
    for (const auto& c : std::initializer_list<std::pair<uint16_t, const char*>>{
             {1, "光圈优先 风景"}, {2, "光圈优先 肖像"}, {3, "光圈优先 夜景"}}) {
        Preset(SlotExposureMode, Gbk("光圈优先").c_str());
        intel.Short(TagSceneCaptureType, c.first);
        EXPECT_EQ(Slot(SlotExposureMode), Gbk(c.second)) << c.first;
    }
    Preset(SlotExposureMode, Gbk("光圈优先").c_str());
    intel.Short(TagSceneCaptureType, 9);   // a stored 9 is looked up unremapped: not a listed word
    intel.Short(TagSceneCaptureType, 7);   // 7 is listed by itself
    EXPECT_EQ(Slot(SlotExposureMode), Gbk("光圈优先 肖像"));
}

TEST_F(WritePrecedence, PictureModeReplacesTheWholeProgramText)
{
    intel.Short(TagExposureProgram, 2);
    intel.Short(TagExposureMode, 2);
    intel.Short(TagMakerNotePictureMode, 1);
    EXPECT_EQ(Slot(SlotExposureMode), Gbk("肖像"));
    intel.Short(TagMakerNotePictureMode, 13);
    EXPECT_EQ(Slot(SlotExposureMode), Gbk("肖像"));
}

TEST_F(WritePrecedence, WhiteBalanceAutoReplacesManualOnlyFills)
{
    intel.Short(TagLightSource, 1);
    intel.Short(TagWhiteBalance, 1);
    EXPECT_EQ(Slot(SlotWhiteBalance), Gbk("日光"));
    intel.Short(TagWhiteBalance, 0);
    EXPECT_EQ(Slot(SlotWhiteBalance), Gbk("自动"));
    Preset(SlotWhiteBalance, "");
    intel.Short(TagWhiteBalance, 1);
    EXPECT_EQ(Slot(SlotWhiteBalance), Gbk("手动"));
    intel.Short(TagLightSource, 255);
    EXPECT_EQ(Slot(SlotWhiteBalance), Gbk("手动"));
    intel.Short(TagMakerNoteWhiteBalance, 512);
    EXPECT_EQ(Slot(SlotWhiteBalance), Gbk("阴天"));
    Preset(SlotWhiteBalance, "");
    intel.Short(TagWhiteBalance, 2);   // past the maximum even on an empty slot
    EXPECT_EQ(Slot(SlotWhiteBalance), "");
}

TEST_F(WritePrecedence, DistanceRangeAddsItsWordAfterADistance)
{
    intel.SignedRational(TagSubjectDistance, 25, 10);
    intel.Short(TagSubjectDistanceRange, 2);
    EXPECT_EQ(Slot(SlotDistance), "2.5 m " + TableText(292));
    intel.Short(TagSubjectDistanceRange, 4);
    EXPECT_EQ(Slot(SlotDistance), "2.5 m " + TableText(292));
    intel.SignedRational(TagSubjectDistance, 10, 1);
    EXPECT_EQ(Slot(SlotDistance), "10.0 m");
}

TEST_F(WritePrecedence, MakerNoteWinsContrastSaturationSharpnessAndMacro)
{
    intel.Short(TagContrast, 1);
    intel.Short(TagSaturation, 1);
    intel.Short(TagSharpness, 1);
    intel.Short(TagCustomRendered, 1);
    intel.Short(TagMakerNoteTone, 256);
    intel.Short(TagMakerNoteColor, 0);
    intel.Short(TagMakerNoteSharpness, 4);
    intel.Short(TagMakerNoteMacro, 0);
    EXPECT_EQ(Slot(SlotContrast), Gbk("高"));
    EXPECT_EQ(Slot(SlotSaturation), Gbk("标准"));
    EXPECT_EQ(Slot(SlotSharpness), Gbk("锐利"));
    EXPECT_EQ(Slot(SlotMacro), Gbk("关 "));
}

TEST_F(WritePrecedence, PointerTagsRecordTheLastOffset)
{
    motorola.Long(TagExifIfdPointer, 0x1234);
    EXPECT_EQ(view.exifIfdOffset, 0x1234u);
    motorola.Unfetched(TagMakerNote, TypeUndefined, 100, 0x0300);
    EXPECT_EQ(view.makerNoteOffset, 0x0300u);
    intel.Long(TagExifIfdPointer, 0x5678);
    intel.Unfetched(TagMakerNote, TypeUndefined, 200, 0x0400);
    EXPECT_EQ(view.exifIfdOffset, 0x5678u);
    EXPECT_EQ(view.makerNoteOffset, 0x0400u);
    for (int slot = 0; slot < SlotCount; ++slot)
        EXPECT_EQ(view.slots[slot][0], 0) << slot;
}
