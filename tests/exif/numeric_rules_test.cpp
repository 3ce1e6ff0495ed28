// Number formatting of the exposure tags, in both byte orders, with their zero and
// non-finite cases.
#include <cstdint>

#include "exif/tag_table.h"
#include "support/interpreter_fixture.h"

namespace {

struct RatioCase {
    uint32_t numerator;
    uint32_t denominator;
    const char* expected;
};

struct SignedCase {
    int32_t numerator;
    int32_t denominator;
    const char* expected;
};

constexpr const char* Kept = "kept";   // what a slot shows when a rule writes nothing

// Replace-if-empty rules are tested with an empty preset, where "unchanged" is "".
void ExpectRational(uint16_t tag, InfoSlot slot, const RatioCase& c, const char* preset = Kept)
{
    for (ByteOrder order : BothByteOrders) {
        std::string text = FreshSlotText(order, slot,
            [&](EntryBuilder& b) { b.Rational(tag, c.numerator, c.denominator); }, preset);
        EXPECT_EQ(text, c.expected) << OrderName(order) << " " << c.numerator << "/" << c.denominator;
    }
}

void ExpectSignedRational(uint16_t tag, InfoSlot slot, const SignedCase& c, const char* preset = Kept)
{
    for (ByteOrder order : BothByteOrders) {
        std::string text = FreshSlotText(order, slot,
            [&](EntryBuilder& b) { b.SignedRational(tag, c.numerator, c.denominator); }, preset);
        EXPECT_EQ(text, c.expected) << OrderName(order) << " " << c.numerator << "/" << c.denominator;
    }
}

// The decimal digits of 2^1000, which a fixed-point format prints in full.
const std::string TwoToThe1000 =
    "10715086071862673209484250490600018105614048117055336074437503883703510511249361224931983788"
    "15695858127594672917553146825187145285692314043598457757469857480393456777482423098542107460"
    "50623711418779541821530464749835819412673987675591655439460770629145711964776865421676604298"
    "31652624386837205668069376";

}  // namespace

TEST(ExposureTime, WholeAndFractionalQuotientsInBothDirections)
{
    for (const RatioCase& c : {RatioCase{1, 60, "1/60s"}, {10, 600, "1/60s"}, {3, 10, "1/3.3s"},
                               {2, 1, "2s"}, {25, 10, "2.5s"}, {10, 1250, "1/125s"},
                               {3, 1000, "1/333.3s"}, {10, 10, "1s"}, {15, 10, "1.5s"}})
        ExpectRational(TagExposureTime, SlotExposureTime, c);
}

TEST(ExposureTime, DivisorIsReadAsSignedAndWholeQuotientPrintsSigned)
{
    // n < d: d unsigned over n signed; n >= d: n unsigned over d signed; "%d" is signed.
    ExpectRational(TagExposureTime, SlotExposureTime, {0x80000001u, 0xFFFFFFFFu, "1/-2.0s"});
    ExpectRational(TagExposureTime, SlotExposureTime, {0xFFFFFFFFu, 0x80000001u, "-2.0s"});
    ExpectRational(TagExposureTime, SlotExposureTime, {0xFFFFFFFFu, 1, "-1s"});
}

TEST(ExposureTime, ZeroNumeratorOrDenominatorLeavesSlot)
{
    for (const RatioCase& c : {RatioCase{0, 10, Kept}, {10, 0, Kept}, {0, 0, Kept}})
        ExpectRational(TagExposureTime, SlotExposureTime, c);
}

TEST(ShutterSpeed, ApexPowersOfTwo)
{
    for (const SignedCase& c : {SignedCase{5, 1, "1/32s"}, {7, 1, "1/128s"}, {0, 1, "1.0s"},
                                {-1, 1, "2.0s"}, {-3, 2, "2.8s"}})
        ExpectSignedRational(TagShutterSpeedValue, SlotExposureTime, c, "");
}

TEST(ShutterSpeed, NonFiniteTimeLeavesSlot)
{
    // 1/0 makes the time infinite, -1/0 makes it 0 (its inverse infinite), 0/0 undefined.
    for (const SignedCase& c : {SignedCase{1, 0, ""}, {-1, 0, ""}, {0, 0, ""}, {2000, 1, ""}})
        ExpectSignedRational(TagShutterSpeedValue, SlotExposureTime, c, "");
    // Not a single SRATIONAL: the signed ratio is undefined.
    ExpectRational(TagShutterSpeedValue, SlotExposureTime, {5, 1, ""}, "");
}

TEST(ShutterSpeed, AbsurdApexValueIsCutAtSlotSize)
{
    std::string expected = ("1/" + TwoToThe1000).substr(0, SlotSize - 1);
    ExpectSignedRational(TagShutterSpeedValue, SlotExposureTime, {1000, 1, expected.c_str()}, "");
    std::string longTime = TwoToThe1000.substr(0, SlotSize - 1);
    ExpectSignedRational(TagShutterSpeedValue, SlotExposureTime, {-1000, 1, longTime.c_str()}, "");
}

TEST(Aperture, FNumberUsesSignedDenominator)
{
    for (const RatioCase& c : {RatioCase{28, 10, "F 2.8"}, {56, 10, "F 5.6"}, {28, 0xFFFFFFF6u, "F -2.8"},
                               {0xFFFFFFFFu, 1, "F 4294967295.0"}})
        ExpectRational(TagFNumber, SlotAperture, c);
}

TEST(Aperture, ZeroDenominatorLeavesSlot)
{
    for (const RatioCase& c : {RatioCase{28, 0, Kept}, {0, 0, Kept}}) {
        ExpectRational(TagFNumber, SlotAperture, c);
        ExpectRational(TagMaxApertureValue, SlotMaxAperture, c);
        ExpectRational(TagApertureValue, SlotAperture, {c.numerator, c.denominator, ""}, "");
    }
}

TEST(Aperture, ApexBaseIsTheDecimalNotTheSquareRootOfTwo)
{
    ExpectRational(TagApertureValue, SlotAperture, {5, 1, "F 5.7"}, "");
    ExpectRational(TagApertureValue, SlotAperture, {18, 1, "F 511.9"}, "");   // sqrt 2 gives 512.0
    ExpectRational(TagMaxApertureValue, SlotMaxAperture, {3, 1, "F2.8"});
    ExpectRational(TagMaxApertureValue, SlotMaxAperture, {92, 10, "F24.2"});   // sqrt 2: 24.3
}

TEST(Aperture, AbsurdApexValueIsCutAtSlotSize)
{
    // 1.4142 to the power 1999 is about 7.6e300: finite, with 301 integer digits.
    std::string text = FreshSlotText(ByteOrder::Intel, SlotMaxAperture,
                                     [](EntryBuilder& b) { b.Rational(TagMaxApertureValue, 1999, 1); });
    ASSERT_EQ(text.size(), size_t{SlotSize - 1});
    EXPECT_EQ(text.substr(0, 2), "F7");
    EXPECT_EQ(text.find_first_not_of("0123456789", 1), std::string::npos) << text;
    // Beyond the largest double the power is infinite and nothing is written.
    ExpectRational(TagMaxApertureValue, SlotMaxAperture, {4000, 1, Kept});
}

TEST(EvText, ZeroOrUndefinedRatioShowsEvZero)
{
    for (uint16_t tag : {uint16_t{TagExposureBiasValue}, uint16_t{TagMakerNoteFlashStrength}}) {
        InfoSlot slot = tag == TagExposureBiasValue ? SlotExposureBias : SlotFlashStrength;
        for (const SignedCase& c : {SignedCase{0, 3, "EV 0"}, {0, -3, "EV 0"}, {0, 0, "EV 0"},
                                    {-2, 3, "EV -0.7"}, {1, 3, "EV 0.3"}, {5, 1, "EV 5.0"}})
            ExpectSignedRational(tag, slot, c);
        // A RATIONAL entry has no signed ratio.
        ExpectRational(tag, slot, {2, 3, "EV 0"});
        // A zero denominator under a non-zero numerator is infinite: no text.
        ExpectSignedRational(tag, slot, {1, 0, Kept});
        ExpectSignedRational(tag, slot, {-1, 0, Kept});
    }
}

TEST(EvText, BrightnessAlwaysTwoDecimalsButNeedsAFiniteRatio)
{
    for (const SignedCase& c : {SignedCase{523, 100, "EV 5.23"}, {0, 1, "EV 0.00"}, {-1, 4, "EV -0.25"},
                                {0, 0, Kept}, {1, 0, Kept}})
        ExpectSignedRational(TagBrightnessValue, SlotBrightness, c);
    ExpectRational(TagBrightnessValue, SlotBrightness, {523, 100, Kept});
}

TEST(SubjectDistance, OnlyAPositiveSignedRatioIsShown)
{
    for (const SignedCase& c : {SignedCase{25, 10, "2.5 m"}, {0, 1, Kept}, {-1, 1, Kept}, {0, 0, Kept},
                                {1, 0, Kept}, {1, -2, Kept}})
        ExpectSignedRational(TagSubjectDistance, SlotDistance, c);
    ExpectRational(TagSubjectDistance, SlotDistance, {25, 10, Kept});
}

TEST(FocalLength, OneDecimalOnlyWhenNotWhole)
{
    for (const RatioCase& c : {RatioCase{58, 10, "5.8 mm"}, {600, 100, "6 mm"}, {0, 10, "0 mm"},
                               {58, 0, Kept}, {0, 0, Kept}})
        ExpectRational(TagFocalLength, SlotFocalLength, c);
}

TEST(DigitalZoom, BareNumberWithOneDecimalOnlyWhenNotWhole)
{
    for (const RatioCase& c : {RatioCase{150, 100, "1.5"}, {200, 100, "2"}, {0, 100, "0"}, {1, 0, Kept}})
        ExpectRational(TagDigitalZoomRatio, SlotDigitalZoom, c);
}

TEST(IntegerQuotients, CompressionTruncatesAndZeroDenominatorLeavesSlot)
{
    for (const RatioCase& c : {RatioCase{3, 2, "1 Bits/Pixel"}, {4, 1, "4 Bits/Pixel"},
                               {0xFFFFFFFFu, 1, "-1 Bits/Pixel"}, {3, 0, Kept}})
        ExpectRational(TagCompressedBitsPerPixel, SlotCompression, c);
}

TEST(IntegerQuotients, ExposureIndexFillsOnlyAnEmptySlot)
{
    for (const RatioCase& c : {RatioCase{400, 1, "ISO 400"}, {801, 2, "ISO 400"}, {400, 0, ""}})
        ExpectRational(TagExposureIndex, SlotIso, c, "");
    for (ByteOrder order : BothByteOrders)
        EXPECT_EQ(FreshSlotText(order, SlotIso, [](EntryBuilder& b) { b.Rational(TagExposureIndex, 400, 1); },
                                "ISO 100"),
                  "ISO 100");
}

TEST(IntegerQuotients, IsoSpeedAndFocalLength35PrintTheShort)
{
    for (ByteOrder order : BothByteOrders) {
        EXPECT_EQ(FreshSlotText(order, SlotIso, [](EntryBuilder& b) { b.Short(TagIsoSpeedRatings, 100); }),
                  "ISO 100");
        EXPECT_EQ(FreshSlotText(order, SlotFocalLength35,
                                [](EntryBuilder& b) { b.Short(TagFocalLengthIn35mmFilm, 35); }),
                  "35 mm");
        EXPECT_EQ(FreshSlotText(order, SlotFocalLength35,
                                [](EntryBuilder& b) { b.Short(TagFocalLengthIn35mmFilm, 0); }, Kept),
                  Kept);
    }
}
