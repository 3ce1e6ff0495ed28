// The texts that tag rows produce from one entry's numbers or fetched text.
#pragma once

#include <cstdint>

#include "record/info_slot.h"

class ViewRecord;

// The quantities of the fetched value after byte-order normalisation. The entry's own value
// has one home, view.entry.valueOffset, which the normalisation and the remap rewrite in place.
struct TagValue {
    uint32_t numerator;    // first word of valueArea
    uint32_t denominator;  // second word of valueArea
    double unsignedRatio;  // numerator / denominator, both unsigned
    double signedRatio;    // the single SRATIONAL's ratio; 0/0 (NaN) for any other entry
};

// Writes the text into `text` and answers true, or answers false when the entry has no text
// (a zero divisor, a number that is not finite, a value the tag shows nothing for).
using TagFormatter = bool (*)(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);

// The reader's two's-complement view of a 32-bit word, written without implementation-defined
// conversions.
int32_t AsSigned32(uint32_t word);
// IEEE quotient (infinite or NaN for a zero divisor) without dividing by zero.
double Quotient(double dividend, double divisor);

bool FormatCopy(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatDateCopy(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatExposureTime(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatFNumber(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatIsoSpeed(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatExifVersion(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatBitsPerPixel(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatShutterSpeed(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatApertureValue(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatMaxApertureValue(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatBrightness(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatEv(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatPositiveDistance(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatFlash(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatFocalLength(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatPixelWidth(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatPixelHeight(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatExposureIndex(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatDigitalZoom(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatNonZeroFocalLength35(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
bool FormatSlowSyncWord(ViewRecord& view, const TagValue& value, char (&text)[SlotSize]);
