// One directory entry: byte order, which values are fetched where, and what stays untouched.
#include <gtest/gtest.h>

#include <cstring>

#include "record/slot_text.h"
#include "support/reading.h"
#include "support/walk_log.h"

namespace {

constexpr uint16_t TagPrivate = 0xE001;  // no interpreter row: ReadEntry's effects alone

Bytes Entry(Order order, uint16_t tag, uint16_t type, uint32_t count, uint32_t valueOffset)
{
    IfdBuilder encode(order);
    return Concat({encode.Encode16(tag), encode.Encode16(type), encode.Encode32(count), encode.Encode32(valueOffset)});
}

// An entry at position 0, value bytes 0x40, 0x41, ... from position 20.
Bytes EntryWithValues(Order order, uint16_t type, uint32_t count, uint32_t valueOffset = 20)
{
    Bytes bytes = Entry(order, TagPrivate, type, count, valueOffset);
    bytes.resize(20, 0);
    for (uint8_t i = 0; i < 80; ++i)
        bytes.push_back(static_cast<uint8_t>(0x40 + i));
    return bytes;
}

struct EntryReading : Reading {
    explicit EntryReading(const Bytes& data) : Reading(data)
    {
        OpenLocal();
        std::memset(view.scratch, Poison, sizeof view.scratch);
        std::memset(view.valueArea, Poison, sizeof view.valueArea);
    }
    ~EntryReading() { view.Close(); }
    bool ScratchUntouchedFrom(size_t from) const
    {
        for (size_t i = from; i < sizeof view.scratch; ++i)
            if (static_cast<uint8_t>(view.scratch[i]) != Poison)
                return false;
        return true;
    }
    bool ValueAreaUntouchedFrom(size_t from) const
    {
        for (size_t i = from; i < sizeof view.valueArea; ++i)
            if (view.valueArea[i] != Poison)
                return false;
        return true;
    }
};

TEST(EntryFetch, AsciiOfTwentyBytesLandsInScratchWithoutAddedTerminator)
{
    EntryReading reading(EntryWithValues(Order::Little, 2, 20));
    EXPECT_TRUE(reading.view.ReadEntry(0));
    for (size_t i = 0; i < 20; ++i)
        EXPECT_EQ(static_cast<uint8_t>(reading.view.scratch[i]), 0x40 + i) << "byte " << i;
    EXPECT_TRUE(reading.ScratchUntouchedFrom(20));
    EXPECT_TRUE(reading.ValueAreaUntouchedFrom(0));
    EXPECT_EQ(reading.view.Tell(), 12u);
}

TEST(EntryFetch, SixtyThreeBytesAreTheMostFetched)
{
    EntryReading reading(EntryWithValues(Order::Little, 7, 63));
    EXPECT_TRUE(reading.view.ReadEntry(0));
    EXPECT_EQ(static_cast<uint8_t>(reading.view.scratch[62]), 0x40 + 62);
    EXPECT_TRUE(reading.ScratchUntouchedFrom(63));
}

TEST(EntryFetch, FourBytesOrFewerAndSixtyFourOrMoreStayInTheEntry)
{
    // BYTEs: a short ASCII value is copied out of the entry (ShortText below).
    for (uint32_t count : {0u, 1u, 4u, 64u, 1000u}) {
        EntryReading reading(EntryWithValues(Order::Little, 1, count));
        EXPECT_TRUE(reading.view.ReadEntry(0));
        EXPECT_EQ(reading.view.scratch[0], 0) << "count " << count;
        EXPECT_TRUE(reading.ScratchUntouchedFrom(1)) << "count " << count;  // only the first byte is emptied
        EXPECT_EQ(reading.stream.CallCount(), 2u) << "count " << count;  // open, one read
        EXPECT_EQ(reading.view.entry.valueOffset, 20u);
    }
}

TEST(EntryFetch, DestinationFollowsTheType)
{
    enum Into { Scratch, ValueArea, Nothing };
    struct Case {
        uint16_t type;
        uint32_t count;
        Into into;
    } cases[] = {
        {1, 9, Scratch},    {2, 9, Scratch},    {3, 3, Nothing},   {4, 2, ValueArea},
        {5, 1, ValueArea},  {6, 9, Scratch},    {7, 9, Scratch},   {8, 3, Nothing},
        {9, 2, ValueArea},  {10, 1, ValueArea}, {11, 2, Nothing},  {12, 1, Nothing},
    };
    for (const Case& c : cases) {
        EntryReading reading(EntryWithValues(Order::Little, c.type, c.count));
        EXPECT_TRUE(reading.view.ReadEntry(0)) << "type " << c.type;
        EXPECT_EQ(MoveCount(reading.stream), 3u) << "type " << c.type;  // position, there, back
        EXPECT_EQ(reading.view.Tell(), 12u);
        size_t fetched = Reads(reading.stream).size() - 1;
        EXPECT_EQ(fetched, c.into == Nothing ? 0u : 1u) << "type " << c.type;
        EXPECT_EQ(reading.view.scratch[0] == 0x40, c.into == Scratch) << "type " << c.type;
        EXPECT_EQ(reading.view.valueArea[0] == 0x40, c.into == ValueArea) << "type " << c.type;
    }
}

TEST(EntryFetch, ShortOfCountThreeMovesThereAndBackWithoutReading)
{
    EntryReading reading(EntryWithValues(Order::Big, 3, 3));
    reading.view.isLittleEndian = 0;
    EXPECT_TRUE(reading.view.ReadEntry(0));
    EXPECT_EQ(Reads(reading.stream).size(), 1u);
    ASSERT_GE(reading.stream.LogSize(), 5u);
    const MemoryStream::LogEntry& there = reading.stream.LogAt(3);
    const MemoryStream::LogEntry& back = reading.stream.LogAt(4);
    EXPECT_EQ(there.result, 20u);
    EXPECT_EQ(back.origin, FromBeginning);
    EXPECT_EQ(back.result, 12u);
}

// A rational of count one is fetched as its bytes lie: the interpreter alone converts it, once.
TEST(EntryFetch, RationalOfCountOneIsFetchedUnconverted)
{
    for (Order order : {Order::Little, Order::Big}) {
        EntryReading reading(EntryWithValues(order, 5, 1));
        reading.view.isLittleEndian = order == Order::Little;
        EXPECT_TRUE(reading.view.ReadEntry(0));
        const uint8_t little[8] = {0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47};
        const uint8_t big[8] = {0x43, 0x42, 0x41, 0x40, 0x47, 0x46, 0x45, 0x44};
        EXPECT_EQ(std::memcmp(reading.view.valueArea, order == Order::Little ? little : big, 8), 0);
        EXPECT_TRUE(reading.ValueAreaUntouchedFrom(8));
    }
}

TEST(EntryFetch, RationalOfCountEightKeepsThePreviousValue)
{
    EntryReading reading(EntryWithValues(Order::Little, 5, 8));
    EXPECT_TRUE(reading.view.ReadEntry(0));
    EXPECT_TRUE(reading.ValueAreaUntouchedFrom(0));
    EXPECT_EQ(MoveCount(reading.stream), 0u);
}

TEST(EntryFetch, TypesOutsideTheTableHaveSizeZero)
{
    for (uint16_t type : {uint16_t{0}, uint16_t{13}, uint16_t{0xFFFF}}) {
        EntryReading reading(EntryWithValues(Order::Little, type, 20));
        EXPECT_TRUE(reading.view.ReadEntry(0));
        EXPECT_EQ(reading.stream.CallCount(), 2u) << "type " << type;
        EXPECT_EQ(reading.view.entry.type, type);
    }
}

TEST(EntryFetch, SizeProductWrapsAt32Bits)
{
    // 8 x 0x20000001 = 2^32 + 8: fetched as 8 bytes.
    EntryReading reading(EntryWithValues(Order::Little, 5, 0x20000001));
    EXPECT_TRUE(reading.view.ReadEntry(0));
    EXPECT_EQ(reading.view.valueArea[7], 0x47);
    EXPECT_TRUE(reading.ValueAreaUntouchedFrom(8));
}

TEST(EntryFetch, ValueOffsetCountsFromTheBase)
{
    Bytes bytes(6, 0);
    bytes = Concat({bytes, EntryWithValues(Order::Little, 2, 8, 24)});
    EntryReading reading(bytes);
    ASSERT_TRUE(reading.view.Seek(6, FromBeginning));
    EXPECT_TRUE(reading.view.ReadEntry(6));
    EXPECT_EQ(static_cast<uint8_t>(reading.view.scratch[0]), 0x44);  // base 6 + 24 = 30
    EXPECT_EQ(reading.view.Tell(), 18u);
}

TEST(EntryFetch, ValueOffsetWrapsAround)
{
    EntryReading reading(EntryWithValues(Order::Little, 2, 8, 0xFFFFFFFCu));
    ASSERT_TRUE(reading.view.Seek(0, FromBeginning));
    EXPECT_TRUE(reading.view.ReadEntry(24));  // 24 + 0xFFFFFFFC wraps to 20
    EXPECT_EQ(static_cast<uint8_t>(reading.view.scratch[0]), 0x40);
}

TEST(EntryFetch, UnreachableValueIsInterpretedWithoutIt)
{
    EntryReading reading(EntryWithValues(Order::Little, 2, 8, 0x7FFFFFF0u));
    EXPECT_FALSE(reading.view.ReadEntry(0x100));  // target beyond 2 GiB
    EXPECT_EQ(reading.view.scratch[0], 0);
    EXPECT_TRUE(reading.ScratchUntouchedFrom(1));
    EXPECT_EQ(reading.view.Tell(), 12u);
    EXPECT_EQ(Reads(reading.stream).size(), 1u);
}

TEST(EntryFetch, FailedMoveBackIsTheResult)
{
    EntryReading reading(EntryWithValues(Order::Little, 2, 8));
    reading.stream.faults.failMoveNumber = 3;  // position, there, back
    EXPECT_FALSE(reading.view.ReadEntry(0));
    EXPECT_EQ(static_cast<uint8_t>(reading.view.scratch[0]), 0x40);
}

TEST(EntryFetch, ValueBeyondTheEndLeavesScratchEmpty)
{
    EntryReading reading(EntryWithValues(Order::Little, 2, 8, 5000));
    EXPECT_TRUE(reading.view.ReadEntry(0));
    EXPECT_EQ(reading.view.scratch[0], 0);
    EXPECT_EQ(reading.view.Tell(), 12u);
}

TEST(EntryFieldOrder, BigEndianFieldsAreConvertedAndAShortLandsHigh)
{
    // Two SHORTs, so the interpreter's own normalisation leaves the converted word alone.
    Bytes bytes = Entry(Order::Big, 0x1234, 3, 2, 0);
    bytes[8] = 0x00;  // the first SHORT, 5, as an MM file stores it in the value field
    bytes[9] = 0x05;
    EntryReading reading(bytes);
    reading.view.isLittleEndian = 0;
    EXPECT_TRUE(reading.view.ReadEntry(0));
    EXPECT_EQ(reading.view.entry.tag, 0x1234);
    EXPECT_EQ(reading.view.entry.type, 3);
    EXPECT_EQ(reading.view.entry.count, 2u);
    EXPECT_EQ(reading.view.entry.valueOffset, 0x00050000u);
}

TEST(EntryFieldOrder, LittleEndianFieldsStayAsStored)
{
    // BYTEs: in-line UNDEFINED bytes would be reversed by the interpreter afterwards.
    EntryReading reading(Entry(Order::Little, 0x1234, 1, 4, 0x64636261));
    EXPECT_TRUE(reading.view.ReadEntry(0));
    EXPECT_EQ(reading.view.entry.tag, 0x1234);
    EXPECT_EQ(reading.view.entry.valueOffset, 0x64636261u);
}

TEST(ShortEntry, EntryCutShortIsNotInterpretedAndSaysSo)
{
    // The cut entry's first bytes name the Model; the rest would be the Make entry's.
    Bytes bytes = Concat({Entry(Order::Little, 0x010F, 2, 4, 0x0045474C), Entry(Order::Little, 0x0110, 2, 4, 0)});
    bytes.resize(12 + 5);
    EntryReading reading(bytes);
    bool isCutShort = true;
    EXPECT_TRUE(reading.view.ReadEntry(0, &isCutShort));
    EXPECT_FALSE(isCutShort);
    EXPECT_TRUE(reading.view.ReadEntry(0, &isCutShort));
    EXPECT_TRUE(isCutShort);
    EXPECT_STREQ(reading.view.slots[SlotMake], "LGE");
    EXPECT_STREQ(reading.view.slots[SlotModel], "");
}

TEST(ShortEntry, NothingArrivedReturnsFalseAndEmptiesOnlyScratchsFirstByte)
{
    EntryReading reading(Entry(Order::Little, 0x1111, 4, 1, 2));
    EXPECT_TRUE(reading.view.ReadEntry(0));
    EXPECT_FALSE(reading.view.ReadEntry(0));
    EXPECT_EQ(reading.view.entry.tag, 0x1111);
    EXPECT_EQ(reading.view.scratch[0], 0);
    EXPECT_TRUE(reading.ScratchUntouchedFrom(1));
}

// An ASCII value of 4 bytes or fewer is the value field itself, read in file order.
TEST(ShortText, TextInTheValueFieldIsShownInBothByteOrders)
{
    struct Case {
        Order order;
        uint16_t type;
        uint32_t count;
        const char field[5];
        const char* shown;
    } cases[] = {
        {Order::Little, 2, 4, "LGE", "LGE"}, {Order::Big, 2, 4, "LGE", "LGE"}, {Order::Big, 2, 4, "HTC", "HTC"},
        {Order::Little, 2, 3, "G8", "G8"},   {Order::Big, 2, 2, "A", "A"},     {Order::Big, 2, 4, "ABCD", "ABCD"},
        {Order::Little, 2, 0, "xyz", ""},    {Order::Big, 1, 4, "LGE", ""},    // only ASCII is text
    };
    for (const Case& c : cases) {
        Bytes bytes = Entry(c.order, 0x010F, c.type, c.count, 0);
        std::memcpy(bytes.data() + 8, c.field, 4);
        EntryReading reading(bytes);   // scratch poisoned: an unterminated copy would show it
        reading.view.isLittleEndian = c.order == Order::Little;
        EXPECT_TRUE(reading.view.ReadEntry(0));
        EXPECT_STREQ(reading.view.slots[SlotMake], c.shown) << c.field << " count " << c.count;
    }
}

// A fetched value whose bytes did not all arrive, or that lies past 2 GiB, leaves its slot.
TEST(CutValue, ValueCutByTheEndOfTheFileOrUnreachableIsNotShown)
{
    struct Case {
        uint16_t tag, type;
        uint32_t count, kept;  // kept: bytes of the value in the file
        uint32_t offset;
        InfoSlot slot;
    } cases[] = {
        {0x010F, 2, 20, 0, 20, SlotMake},         {0x010F, 2, 20, 1, 20, SlotMake},
        {0x010F, 2, 20, 19, 20, SlotMake},        {0x010F, 2, 20, 20, 0x7FFFFFF0u, SlotMake},
        {0x829A, 5, 1, 0, 20, SlotExposureTime}, {0x829A, 5, 1, 4, 20, SlotExposureTime},
        {0x829A, 5, 1, 7, 20, SlotExposureTime},
    };
    for (const Case& c : cases) {
        Bytes bytes = EntryWithValues(Order::Little, c.type, c.count, c.offset);
        bytes[0] = static_cast<uint8_t>(c.tag);
        bytes[1] = static_cast<uint8_t>(c.tag >> 8);
        bytes.resize(20 + c.kept);
        EntryReading reading(bytes);
        SlotCopy(reading.view.slots[c.slot], "before");
        reading.view.ReadEntry(c.offset == 20 ? 0 : 0x100);  // 0x100 + 0x7FFFFFF0: past 2 GiB
        EXPECT_STREQ(reading.view.slots[c.slot], "before") << "tag " << c.tag << " kept " << c.kept;
        EXPECT_EQ(reading.view.Tell(), 12u);
    }
}

}  // namespace
