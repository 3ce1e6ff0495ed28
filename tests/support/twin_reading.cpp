// Containers read against their JPEG twins.
#include "support/twin_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/reading.h"

Bytes RichBlock(Order order, bool odd)
{
    TiffBuilder tiff(order);
    tiff.ifd0.Ascii(0x010F, "Maker").Ascii(0x0110, "Model 100").Ascii(0x0132, "2003:01:15 10:20:30");
    tiff.ifd0.AddPointer(0x8769, Target::ExifIfd);
    tiff.exifIfd.Rational(0x829A, 10, 1250).Short(0x8827, 200).Ascii(0x9003, "2003:01:15 10:20:30");
    tiff.exifIfd.AddPointer(0x927C, Target::MakerNote);
    tiff.makerNote.Short(0x1001, 2).Short(0x1031, 1);
    Bytes block = tiff.Build();
    if (odd)
        block.push_back(0);
    return block;
}

uint32_t ExpectReading(const Bytes& bytes, const Bytes& block, TextId expected, const std::string& what,
                       uint32_t maxCalls)
{
    Reading reading(bytes);
    bool ok = reading.ReadLocal();
    EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(expected)) << what;
    EXPECT_EQ(ok, expected == MessageOk) << what;
    EXPECT_EQ(reading.stream.counters().reports, 1u) << what;
    EXPECT_EQ(reading.stream.OpenHandles(), 0) << what;
    EXPECT_LE(reading.stream.CallCount(), maxCalls) << what;
    if (expected == MessageOk) {
        Reading twin(Jpeg({ExifSegment(block)}));
        EXPECT_TRUE(twin.ReadLocal()) << what;
        EXPECT_EQ(std::memcmp(reading.view.slots, twin.view.slots, sizeof twin.view.slots), 0) << what << ": slots";
        EXPECT_NE(reading.view.slots[SlotMake][0], 0) << what;
    }
    return reading.stream.CallCount();
}

void PutBig32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

size_t Find(const Bytes& bytes, const char (&name)[5], size_t from)
{
    auto found = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), name, name + 4);
    return static_cast<size_t>(found - bytes.begin());
}
