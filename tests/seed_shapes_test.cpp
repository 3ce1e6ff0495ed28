// The fuzz corpus's seed shapes end with the messages they were built for, so each seed starts
// the fuzzer where it was meant to, and every-tag pictures read alike in both byte orders.
#include <gtest/gtest.h>

#include <set>

#include "support/reading.h"
#include "support/seed_shapes.h"

namespace {

const SeedShape& Shape(const std::vector<SeedShape>& shapes, const std::string& name)
{
    for (const SeedShape& shape : shapes) {
        if (shape.name == name)
            return shape;
    }
    ADD_FAILURE() << "no shape " << name;
    return shapes.front();
}

TEST(SeedShapes, EachEndsWithItsMessage)
{
    for (const SeedShape& shape : SeedShapes()) {
        Reading reading(shape.bytes);
        bool ok = reading.ReadLocal();
        EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(shape.message)) << shape.name;
        EXPECT_EQ(ok, shape.message == MessageOk) << shape.name;
        EXPECT_EQ(reading.stream.counters().reports, 1u) << shape.name;
        EXPECT_EQ(reading.stream.OpenHandles(), 0) << shape.name;
    }
}

TEST(SeedShapes, NamesAreDistinctPlainFileNames)
{
    std::set<std::string> names;
    for (const SeedShape& shape : SeedShapes()) {
        EXPECT_TRUE(names.insert(shape.name).second) << shape.name;
        EXPECT_EQ(shape.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_"), std::string::npos) << shape.name;
    }
}

TEST(SeedShapes, EveryTagPictureReadsAlikeInBothByteOrders)
{
    std::vector<SeedShape> shapes = SeedShapes();
    Reading little(Shape(shapes, "every_tag_ii").bytes);
    Reading big(Shape(shapes, "every_tag_mm").bytes);
    ASSERT_TRUE(little.ReadLocal());
    ASSERT_TRUE(big.ReadLocal());
    // No tag writes four of the slots, and the description is too long to be fetched.
    const std::set<int> empty = {SlotDescription, SlotColorComponents, SlotSlowSync, SlotSceneMode, SlotUserComment};
    for (int slot = 0; slot < SlotCount; ++slot) {
        EXPECT_STREQ(little.view.slots[slot], big.view.slots[slot]) << "slot " << slot;
        EXPECT_EQ(little.view.slots[slot][0] == 0, empty.count(slot) == 1) << "slot " << slot;
    }
}

}  // namespace
