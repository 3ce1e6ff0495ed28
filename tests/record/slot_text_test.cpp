// The bounded writers of 64-byte texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "record/slot_text.h"

namespace {

struct Neighbours {
    char slot[SlotSize];
    char next[SlotSize];
};

std::string Text(const char (&slot)[SlotSize]) { return std::string(slot, strnlen(slot, SlotSize)); }

}  // namespace

TEST(SlotText, CopyCutsAt63AndTerminates)
{
    Neighbours n;
    memset(&n, 0x7E, sizeof n);
    SlotCopy(n.slot, std::string(100, 'c').c_str());
    EXPECT_EQ(Text(n.slot), std::string(63, 'c'));
    EXPECT_EQ(n.next[0], 0x7E);
    SlotCopy(n.slot, "");
    EXPECT_EQ(n.slot[0], 0);
}

TEST(SlotText, FormatCutsLongNumbers)
{
    Neighbours n;
    memset(&n, 0x7E, sizeof n);
    SlotFormat(n.slot, "%.0f", 1e300);
    EXPECT_EQ(Text(n.slot).size(), 63u);
    EXPECT_EQ(Text(n.slot)[0], '1');
    EXPECT_EQ(n.next[0], 0x7E);
    SlotFormat(n.slot, "%d x ", 640);
    EXPECT_EQ(Text(n.slot), "640 x ");
}

TEST(SlotText, AppendAddsToTheTextAndStopsAtTheEnd)
{
    Neighbours n;
    memset(&n, 0x7E, sizeof n);
    SlotCopy(n.slot, "640 x ");
    SlotAppend(n.slot, "%d", 480);
    EXPECT_EQ(Text(n.slot), "640 x 480");
    SlotAppend(n.slot, " %s", std::string(80, 'w').c_str());
    EXPECT_EQ(Text(n.slot), "640 x 480 " + std::string(53, 'w'));
    SlotAppend(n.slot, "%s", "more");
    EXPECT_EQ(Text(n.slot).size(), 63u);
    EXPECT_EQ(n.next[0], 0x7E);
}

TEST(SlotText, AppendMayReadItsOwnSlot)
{
    char slot[SlotSize];
    SlotCopy(slot, "ab");
    SlotAppend(slot, "%s", slot);
    EXPECT_EQ(Text(slot), "abab");
    for (int i = 0; i < 6; ++i)
        SlotAppend(slot, "%s", slot);
    EXPECT_EQ(Text(slot).size(), 63u);
    EXPECT_EQ(Text(slot).substr(0, 4), "abab");
}
