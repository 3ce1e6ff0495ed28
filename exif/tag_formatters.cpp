// Number and text formatting of single tags; the write rules decide where the text goes.
#include "exif/tag_formatters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "record/slot_text.h"
#include "record/view_record.h"

namespace {

// The APEX aperture base as the camera software wrote it: the double nearest 1.4142, not sqrt 2.
constexpr double ApertureBase = 1.4142;
constexpr uint32_t ExifVersion21 = 0x30323130;  // "0210", first byte most significant
constexpr uint32_t ExifVersion22 = 0x30323230;  // "0220"
constexpr size_t DateSeparators[] = {4, 7};     // "2003:01:15" shows as "2003-01-15"

// Flash values that add a word after the on/off word; return-light bits are not shown.
constexpr uint32_t FlashForcedValues[] = {9, 13, 15, 16, 73, 77, 79};
constexpr uint32_t FlashAutomaticValues[] = {24, 25, 29, 31, 89, 93, 95};
constexpr uint32_t FlashNoneValues[] = {32};
constexpr uint32_t FlashRedEyeValues[] = {65, 69, 71, 73, 77, 79, 89, 93, 95};

template <size_t N>
bool Listed(const uint32_t (&values)[N], uint32_t value)
{
    return std::find(std::begin(values), std::end(values), value) != std::end(values);
}

// A text of the string table, through scratch as every load of the interpreter goes.
void LoadWord(ViewRecord& view, TextId id, char (&text)[SlotSize])
{
    view.LoadText(id, view.scratch);
    SlotCopy(text, view.scratch);
}

void AppendWord(ViewRecord& view, TextId id, char (&text)[SlotSize])
{
    view.LoadText(id, view.scratch);
    char word[SlotSize];
    SlotCopy(word, view.scratch);
    SlotAppend(text, "%s", word);
}

// Shared by FocalLength and DigitalZoomRatio: one decimal only when the ratio is not whole.
bool FormatWholeOrOneDecimal(const TagValue& value, const char* oneDecimal, const char* whole,
                             char (&text)[SlotSize])
{
    if (!std::isfinite(value.unsignedRatio))   // the denominator is 0
        return false;
    bool isWhole = value.numerator % value.denominator == 0;
    SlotFormat(text, isWhole ? whole : oneDecimal, value.unsignedRatio);
    return true;
}

bool FormatAperture(const TagValue& value, const char* format, char (&text)[SlotSize])
{
    double fNumber = std::pow(ApertureBase, value.unsignedRatio);
    if (!std::isfinite(fNumber))
        return false;
    SlotFormat(text, format, fNumber);
    return true;
}

}  // namespace

int32_t AsSigned32(uint32_t word)
{
    constexpr uint32_t SignBit = 0x80000000u;
    if (word < SignBit)
        return static_cast<int32_t>(word);
    return static_cast<int32_t>(word - SignBit) + std::numeric_limits<int32_t>::min();
}

double Quotient(double dividend, double divisor)
{
    if (divisor != 0)
        return dividend / divisor;
    if (dividend == 0 || std::isnan(dividend))
        return std::numeric_limits<double>::quiet_NaN();
    bool isNegative = std::signbit(dividend) != std::signbit(divisor);
    double infinity = std::numeric_limits<double>::infinity();
    return isNegative ? -infinity : infinity;
}

bool FormatCopy(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    SlotCopy(text, view.scratch);
    return true;
}

bool FormatDateCopy(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    SlotCopy(text, view.scratch);
    size_t length = strlen(text);
    for (size_t position : DateSeparators)
        if (position < length)
            text[position] = '-';
    return true;
}

bool FormatExposureTime(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    uint32_t n = value.numerator;
    uint32_t d = value.denominator;
    if (n == 0 || d == 0)   // no text is defined for a zero; the slot keeps what it had
        return false;
    if (n < d) {
        if (d % n != 0)
            SlotFormat(text, "1/%.1fs", static_cast<double>(d) / AsSigned32(n));
        else
            SlotFormat(text, "1/%ds", AsSigned32(d / n));
    } else {
        if (n % d != 0)
            SlotFormat(text, "%.1fs", static_cast<double>(n) / AsSigned32(d));
        else
            SlotFormat(text, "%ds", AsSigned32(n / d));
    }
    return true;
}

bool FormatFNumber(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    double fNumber = Quotient(value.numerator, AsSigned32(value.denominator));
    if (!std::isfinite(fNumber))
        return false;
    SlotFormat(text, "F %.1f", fNumber);
    return true;
}

bool FormatIsoSpeed(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    SlotFormat(text, "ISO %d", AsSigned32(view.entry.valueOffset));
    return true;
}

bool FormatExifVersion(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    if (view.entry.valueOffset == ExifVersion21)
        SlotCopy(text, "V2.1");
    else if (view.entry.valueOffset == ExifVersion22)
        SlotCopy(text, "V2.2");
    else
        SlotFormat(text, "%x", static_cast<unsigned>(view.entry.valueOffset));
    return true;
}

bool FormatBitsPerPixel(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    if (value.denominator == 0)
        return false;
    SlotFormat(text, "%d Bits/Pixel", AsSigned32(value.numerator / value.denominator));
    return true;
}

bool FormatShutterSpeed(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    double time = std::pow(2.0, value.signedRatio);
    bool isFraction = std::fabs(time) > 1.0;
    double shown = isFraction ? time : Quotient(1.0, time);
    if (!std::isfinite(shown))
        return false;
    SlotFormat(text, isFraction ? "1/%.0fs" : "%.1fs", shown);
    return true;
}

bool FormatApertureValue(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    return FormatAperture(value, "F %.1f", text);
}

bool FormatMaxApertureValue(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    return FormatAperture(value, "F%.1f", text);
}

bool FormatBrightness(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    if (!std::isfinite(value.signedRatio))
        return false;
    SlotFormat(text, "EV %.2f", value.signedRatio);
    return true;
}

bool FormatEv(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    double ev = value.signedRatio;
    if (ev == 0 || std::isnan(ev)) {   // also every entry that is not a single SRATIONAL
        SlotCopy(text, "EV 0");
        return true;
    }
    if (!std::isfinite(ev))
        return false;
    SlotFormat(text, "EV %.1f", ev);
    return true;
}

bool FormatPositiveDistance(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    double metres = value.signedRatio;
    if (!(metres > 0) || !std::isfinite(metres))
        return false;
    SlotFormat(text, "%.1f m", metres);
    return true;
}

bool FormatFlash(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    uint32_t flash = view.entry.valueOffset;
    LoadWord(view, TextFlashWordBase + (flash & 1), text);   // "off" or "on"
    if (Listed(FlashForcedValues, flash))
        AppendWord(view, TextFlashForced, text);
    else if (Listed(FlashAutomaticValues, flash))
        AppendWord(view, TextFlashAutomatic, text);
    else if (Listed(FlashNoneValues, flash))
        AppendWord(view, TextFlashNone, text);
    if (Listed(FlashRedEyeValues, flash))
        AppendWord(view, TextFlashRedEye, text);
    return true;
}

bool FormatFocalLength(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    return FormatWholeOrOneDecimal(value, "%.1f mm", "%.0f mm", text);
}

bool FormatPixelWidth(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    SlotFormat(text, "%d x ", AsSigned32(view.entry.valueOffset));
    return true;
}

bool FormatPixelHeight(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    SlotFormat(text, "%d", AsSigned32(view.entry.valueOffset));
    return true;
}

bool FormatExposureIndex(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    if (value.denominator == 0)
        return false;
    SlotFormat(text, "ISO %d", AsSigned32(value.numerator / value.denominator));
    return true;
}

bool FormatDigitalZoom(ViewRecord&, const TagValue& value, char (&text)[SlotSize])
{
    return FormatWholeOrOneDecimal(value, "%.1f", "%.0f", text);
}

bool FormatNonZeroFocalLength35(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    if (view.entry.valueOffset == 0)
        return false;
    SlotFormat(text, "%d mm", AsSigned32(view.entry.valueOffset));
    return true;
}

bool FormatSlowSyncWord(ViewRecord& view, const TagValue&, char (&text)[SlotSize])
{
    if (view.entry.valueOffset != 1)
        return false;
    LoadWord(view, TextFlashSlowSync, text);
    return true;
}
