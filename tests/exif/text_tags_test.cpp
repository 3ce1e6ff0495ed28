// Tags whose text is the fetched value, the Exif version and the picture size.
#include <cstring>

#include "exif/tag_table.h"
#include "support/interpreter_fixture.h"

using CopiedText = InterpreterTest;

TEST_F(CopiedText, EveryCopyTagCopiesTheFetchedText)
{
    const std::pair<uint16_t, InfoSlot> copies[] = {
        {TagImageDescription, SlotDescription}, {TagMake, SlotMake},
        {TagModel, SlotModel},                  {TagSoftware, SlotSoftware},
        {TagArtist, SlotArtist},                {TagCopyright, SlotCopyright},
        {TagRelatedSoundFile, SlotSoundFile},   {TagMakerNoteQuality, SlotQuality},
        {TagProcessingSoftware, SlotSoftware},
    };
    for (const auto& copy : copies) {
        SlotCopy(view.slots[SlotSoftware], "");   // tag 11 only fills an empty slot
        motorola.Ascii(copy.first, "Camera 123");
        EXPECT_EQ(Slot(copy.second), "Camera 123") << copy.first;
    }
}

TEST_F(CopiedText, LongAsciiValueEmptiesTheSlot)
{
    Preset(SlotModel, "old model");
    intel.Ascii(TagModel, std::string(70, 'M'));   // 64 bytes or more: never fetched
    EXPECT_EQ(Slot(SlotModel), "");
}

TEST_F(CopiedText, UnterminatedScratchCopiesStaleBytesUpTo63)
{
    memset(view.scratch, 'x', sizeof view.scratch);
    intel.Entry(TagMake, 2, 10, std::vector<uint8_t>(10, 'A'));   // no terminating zero
    EXPECT_EQ(Slot(SlotMake), std::string(10, 'A') + std::string(53, 'x'));
    EXPECT_EQ(view.slots[SlotMake][63], 0);

    memset(view.scratch, 'y', sizeof view.scratch);
    view.scratch[40] = 0;
    intel.Entry(TagModel, 2, 5, {'H', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(Slot(SlotModel), "Hello" + std::string(35, 'y'));
}

TEST_F(CopiedText, FullScratchIsCutAt63Bytes)
{
    memset(view.scratch, 0xEE, sizeof view.scratch);
    intel.Entry(TagArtist, 2, 63, std::vector<uint8_t>(63, 'Q'));
    EXPECT_EQ(Slot(SlotArtist), std::string(63, 'Q'));
}

TEST_F(CopiedText, DateSeparatorsOnlyWithinTheText)
{
    const std::pair<const char*, const char*> dates[] = {
        {"2003:01:15 10:20:30", "2003-01-15 10:20:30"},
        {"2003", "2003"},
        {"2003:", "2003-"},
        {"2003:01", "2003-01"},
        {"2003:01:", "2003-01-"},
    };
    for (const auto& date : dates) {
        for (uint16_t tag : {uint16_t{TagDateTime}, uint16_t{TagDateTimeOriginal}}) {
            intel.Ascii(tag, date.first);
            EXPECT_EQ(Slot(tag == TagDateTime ? SlotModifyTime : SlotShotTime), date.second) << date.first;
        }
        SlotCopy(view.slots[SlotShotTime], "");
        motorola.Ascii(TagDateTimeDigitized, date.first);
        EXPECT_EQ(Slot(SlotShotTime), date.second) << date.first;
    }
}

using ExifVersion = InterpreterTest;

TEST_F(ExifVersion, KnownVersionsInBothOrdersOthersAsHex)
{
    for (EntryBuilder* builder : {&intel, &motorola}) {
        builder->Undefined(TagExifVersion, "0220");
        EXPECT_EQ(Slot(SlotExifVersion), "V2.2");
        builder->Undefined(TagExifVersion, "0210");
        EXPECT_EQ(Slot(SlotExifVersion), "V2.1");
        builder->Undefined(TagExifVersion, "0221");
        EXPECT_EQ(Slot(SlotExifVersion), "30323231");
        builder->Undefined(TagExifVersion, std::string("\0\0\x01\x0A", 4));
        EXPECT_EQ(Slot(SlotExifVersion), "10a");
    }
}

using PictureSize = InterpreterTest;

TEST_F(PictureSize, WidthThenHeightAsShortOrLong)
{
    for (EntryBuilder* builder : {&intel, &motorola}) {
        builder->Short(TagPixelXDimension, 1600);
        builder->Short(TagPixelYDimension, 1200);
        EXPECT_EQ(Slot(SlotImageSize), "1600 x 1200");
        builder->Long(TagPixelXDimension, 640);
        builder->Short(TagPixelYDimension, 480);
        EXPECT_EQ(Slot(SlotImageSize), "640 x 480");
    }
}

TEST_F(PictureSize, HeightAloneAndTwiceAppends)
{
    intel.Long(TagPixelYDimension, 480);
    EXPECT_EQ(Slot(SlotImageSize), "480");
    intel.Long(TagPixelXDimension, 640);
    intel.Long(TagPixelYDimension, 480);
    intel.Long(TagPixelYDimension, 480);
    EXPECT_EQ(Slot(SlotImageSize), "640 x 480480");
    intel.Long(TagPixelXDimension, 0xFFFFFFFFu);   // "%d" reads the word as signed
    intel.Long(TagPixelYDimension, 0x80000000u);
    EXPECT_EQ(Slot(SlotImageSize), "-1 x -2147483648");
}
