// The first step of interpretation: in-line values and fetched rationals made usable, per type
// and byte order.
#include <cstring>

#include "exif/tag_table.h"
#include "support/interpreter_fixture.h"

namespace {

uint32_t WordAt(const ViewRecord& view, size_t at)
{
    uint32_t word;
    memcpy(&word, view.valueArea + at, sizeof word);
    return word;
}

constexpr uint16_t UnknownTag = 0x1234;

}  // namespace

using EntryByteOrder = InterpreterTest;

TEST_F(EntryByteOrder, SingleShortBecomesItsValueInBothOrders)
{
    intel.Short(TagIsoSpeedRatings, 100);
    EXPECT_EQ(view.entry.valueOffset, 100u);
    EXPECT_EQ(Slot(SlotIso), "ISO 100");
    motorola.Short(TagIsoSpeedRatings, 200);   // the walk leaves it in the upper half
    EXPECT_EQ(view.entry.valueOffset, 200u);
    EXPECT_EQ(Slot(SlotIso), "ISO 200");
}

TEST_F(EntryByteOrder, OtherHalfOfSingleShortIsIgnored)
{
    intel.Short(TagIsoSpeedRatings, 400, 0xBEEF);
    EXPECT_EQ(Slot(SlotIso), "ISO 400");
    motorola.Short(TagIsoSpeedRatings, 800, 0xBEEF);
    EXPECT_EQ(Slot(SlotIso), "ISO 800");
}

TEST_F(EntryByteOrder, ShortPairStaysOneWord)
{
    intel.Shorts(TagIsoSpeedRatings, 100, 1);
    EXPECT_EQ(Slot(SlotIso), "ISO 65636");       // 1 << 16 | 100
    motorola.Shorts(TagIsoSpeedRatings, 100, 1);
    EXPECT_EQ(Slot(SlotIso), "ISO 6553601");     // 100 << 16 | 1
}

TEST_F(EntryByteOrder, BigEndianSingleRationalIsSwappedInPlace)
{
    memset(view.valueArea, 0xA5, sizeof view.valueArea);
    motorola.Rational(TagFNumber, 28, 10);
    EXPECT_EQ(WordAt(view, 0), 28u);
    EXPECT_EQ(WordAt(view, 4), 10u);
    EXPECT_EQ(view.valueArea[8], 0xA5);   // only the two words
    EXPECT_EQ(Slot(SlotAperture), "F 2.8");
}

TEST_F(EntryByteOrder, LittleEndianRationalStaysAsStored)
{
    intel.Rational(TagFNumber, 0x01020304, 10);
    const uint8_t stored[] = {0x04, 0x03, 0x02, 0x01, 10, 0, 0, 0};
    EXPECT_EQ(memcmp(view.valueArea, stored, sizeof stored), 0);
}

TEST_F(EntryByteOrder, RationalPairKeepsFileOrder)
{
    std::vector<uint8_t> bytes;
    for (uint32_t word : {300u, 10u, 1u, 1u}) {
        std::vector<uint8_t> encoded = motorola.Encode32(word);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    motorola.Entry(TagFNumber, TypeRational, 2, bytes);
    EXPECT_EQ(memcmp(view.valueArea, bytes.data(), bytes.size()), 0);
    // The words are read unconverted: 0x2C010000 / 0x0A000000.
    EXPECT_EQ(Slot(SlotAperture), "F 4.4");
}

TEST_F(EntryByteOrder, UnknownTagIsNormalisedButWritesNothing)
{
    motorola.Rational(UnknownTag, 7, 9);
    EXPECT_EQ(WordAt(view, 0), 7u);
    EXPECT_EQ(WordAt(view, 4), 9u);
    motorola.Short(UnknownTag, 5);
    EXPECT_EQ(view.entry.valueOffset, 5u);
    for (int slot = 0; slot < SlotCount; ++slot)
        EXPECT_EQ(view.slots[slot][0], 0) << slot;
    EXPECT_TRUE(LoadedTextIds().empty());
}

TEST_F(EntryByteOrder, InlineUndefinedBytesEndFirstByteMostSignificant)
{
    for (EntryBuilder* builder : {&intel, &motorola}) {
        builder->Undefined(TagExifVersion, "0210");
        EXPECT_EQ(view.entry.valueOffset, 0x30323130u);
        EXPECT_EQ(Slot(SlotExifVersion), "V2.1");
    }
}

TEST_F(EntryByteOrder, SignedRatioOnlyForSingleSignedRational)
{
    for (EntryBuilder* builder : {&intel, &motorola}) {
        builder->SignedRational(TagExposureBiasValue, -2, 3);
        EXPECT_EQ(Slot(SlotExposureBias), "EV -0.7");
        builder->Rational(TagExposureBiasValue, 2, 3);
        EXPECT_EQ(Slot(SlotExposureBias), "EV 0");
    }
    std::vector<uint8_t> pair;
    for (uint32_t word : {2u, 3u, 2u, 3u}) {
        std::vector<uint8_t> encoded = intel.Encode32(word);
        pair.insert(pair.end(), encoded.begin(), encoded.end());
    }
    intel.Entry(TagExposureBiasValue, TypeSignedRational, 2, pair);
    EXPECT_EQ(Slot(SlotExposureBias), "EV 0");
}

TEST_F(EntryByteOrder, LongIsAlreadyItsValue)
{
    for (EntryBuilder* builder : {&intel, &motorola}) {
        builder->Long(TagPixelXDimension, 1600);
        builder->Long(TagPixelYDimension, 1200);
        EXPECT_EQ(Slot(SlotImageSize), "1600 x 1200");
    }
}

TEST_F(EntryByteOrder, UnfetchedValueUsesTheEarlierEntrysNumbers)
{
    intel.Rational(TagFNumber, 28, 10);
    intel.Unfetched(TagFocalLength, TypeRational, 8, 0x100);   // 64 bytes: never fetched
    EXPECT_EQ(Slot(SlotFocalLength), "2.8 mm");
    // A big-endian entry of count 1 swaps again what the previous one left.
    motorola.Rational(TagFNumber, 28, 10);
    motorola.Unfetched(TagFocalLength, TypeRational, 1, 0x100);
    EXPECT_EQ(Slot(SlotFocalLength), "2.8 mm");   // 0x1C000000 / 0x0A000000
}
