// The image stream's reads, moves, position and release, over both back ends in memory.
#include <gtest/gtest.h>

#include <cstring>

#include "support/reading.h"

namespace {

Bytes Numbers(size_t count)
{
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(i + 1);
    return bytes;
}

TEST(StreamReads, ZeroSizeMeansTwoFourOrOneBytes)
{
    Reading reading(Numbers(16));
    ASSERT_TRUE(reading.OpenLocal());
    uint8_t out[8];
    uint32_t delivered = 99;
    std::memset(out, Poison, sizeof out);
    EXPECT_TRUE(reading.view.ReadWord(out, 0, &delivered));
    EXPECT_EQ(delivered, 2u);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], Poison);
    EXPECT_TRUE(reading.view.ReadDword(out, 0, &delivered));
    EXPECT_EQ(delivered, 4u);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[3], 6);
    EXPECT_EQ(out[4], Poison);
    EXPECT_TRUE(reading.view.ReadBytes(out, 0, &delivered));
    EXPECT_EQ(delivered, 1u);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 4);  // from the read before
    EXPECT_EQ(reading.view.Tell(), 7u);
}

TEST(StreamReads, ShortReadSucceedsAndKeepsOldBytes)
{
    Reading reading(Numbers(5));
    ASSERT_TRUE(reading.OpenLocal());
    ASSERT_TRUE(reading.view.Seek(4, FromBeginning));
    uint8_t out[4];
    std::memset(out, Poison, sizeof out);
    uint32_t delivered = 0;
    EXPECT_TRUE(reading.view.ReadDword(out, 4, &delivered));
    EXPECT_EQ(delivered, 1u);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[1], Poison);
    EXPECT_EQ(out[2], Poison);
    EXPECT_EQ(out[3], Poison);
    EXPECT_FALSE(reading.view.ReadDword(out, 4, &delivered));
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(out[0], 5);
}

TEST(StreamReads, ReadAtTheEndFailsAndTouchesNothing)
{
    Reading reading(Numbers(3));
    ASSERT_TRUE(reading.OpenLocal());
    ASSERT_TRUE(reading.view.Seek(3, FromBeginning));
    uint8_t out[2] = {Poison, Poison};
    EXPECT_FALSE(reading.view.ReadWord(out, 2));
    EXPECT_EQ(out[0], Poison);
    EXPECT_EQ(out[1], Poison);
    EXPECT_EQ(reading.view.Tell(), 3u);
}

TEST(StreamReads, RemoteReadsGoThroughTheUrlHandle)
{
    Reading reading(Numbers(8));
    reading.view.isRemote = 1;
    ASSERT_TRUE(reading.view.Open("http://example.test/a.jpg"));
    uint8_t out[4] = {};
    EXPECT_TRUE(reading.view.ReadDword(out, 4));
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(reading.stream.counters().urlReads, 1u);
    EXPECT_EQ(reading.stream.counters().fileReads, 0u);
    EXPECT_EQ(reading.view.Tell(), 4u);
    reading.view.Close();
}

TEST(StreamReads, BackEndFollowsIsRemoteAtEachCall)
{
    Reading reading(Numbers(8));
    ASSERT_TRUE(reading.OpenLocal());
    reading.view.isRemote = 1;  // no URL handle is open: the internet back end refuses
    uint8_t out[2] = {Poison, Poison};
    EXPECT_FALSE(reading.view.ReadWord(out, 2));
    EXPECT_EQ(out[0], Poison);
    EXPECT_EQ(reading.stream.counters().urlReads, 1u);
    reading.view.isRemote = 0;
    EXPECT_TRUE(reading.view.ReadWord(out, 2));
    EXPECT_EQ(out[0], 1);
    reading.view.Close();
    EXPECT_EQ(reading.stream.OpenHandles(), 0);
}

TEST(StreamSeek, NegativeTargetFailsAndStays)
{
    Reading reading(Numbers(10));
    ASSERT_TRUE(reading.OpenLocal());
    ASSERT_TRUE(reading.view.Seek(4, FromBeginning));
    EXPECT_FALSE(reading.view.Seek(-10, FromCurrent));
    EXPECT_EQ(reading.view.Tell(), 4u);
    EXPECT_FALSE(reading.view.Seek(-1, FromBeginning));
    EXPECT_EQ(reading.view.Tell(), 4u);
    EXPECT_TRUE(reading.view.Seek(-4, FromCurrent));
    EXPECT_EQ(reading.view.Tell(), 0u);
}

TEST(StreamSeek, BeyondTheEndSucceedsThenReadFails)
{
    Reading reading(Numbers(50));
    ASSERT_TRUE(reading.OpenLocal());
    EXPECT_TRUE(reading.view.Seek(100, FromBeginning));
    EXPECT_EQ(reading.view.Tell(), 100u);
    uint8_t out[4] = {Poison, Poison, Poison, Poison};
    EXPECT_FALSE(reading.view.ReadDword(out, 4));
    EXPECT_EQ(out[0], Poison);
}

TEST(StreamSeek, TwoGibibytesFailsAndStays)
{
    Reading reading(Numbers(10));
    ASSERT_TRUE(reading.OpenLocal());
    ASSERT_TRUE(reading.view.Seek(6, FromBeginning));
    EXPECT_TRUE(reading.view.Seek(0x7FFFFFFF, FromBeginning));  // the last position that counts
    EXPECT_EQ(reading.view.Tell(), 0x7FFFFFFFu);
    EXPECT_FALSE(reading.view.Seek(1, FromCurrent));
    EXPECT_EQ(reading.view.Tell(), 0x7FFFFFFFu);
    ASSERT_TRUE(reading.view.Seek(6, FromBeginning));
    EXPECT_FALSE(reading.view.Seek(INT32_MIN, FromBeginning));
    EXPECT_FALSE(reading.view.Seek(0x7FFFFFFF, FromCurrent));
    EXPECT_EQ(reading.view.Tell(), 6u);
}

TEST(StreamSeek, FailedPlatformMoveIsReportedAsFalse)
{
    Reading reading(Numbers(10));
    reading.stream.faults.failMoveNumber = 1;
    ASSERT_TRUE(reading.OpenLocal());
    EXPECT_FALSE(reading.view.Seek(2, FromBeginning));
    EXPECT_EQ(reading.view.Tell(), 0u);
}

TEST(StreamSeek, TellPassesTheFailureValueOn)
{
    Reading reading(Numbers(10));
    reading.stream.faults.failMoveNumber = 1;
    ASSERT_TRUE(reading.OpenLocal());
    EXPECT_EQ(reading.view.Tell(), InvalidPosition);
}

TEST(StreamOpen, RemoteOpensOfflineSessionWithProductNameAsAgent)
{
    Reading reading(Numbers(4));
    reading.view.isRemote = 1;
    ASSERT_TRUE(reading.view.Open("ftp://example.test/a%20b.jpg"));
    EXPECT_EQ(reading.stream.counters().sessionOpens, 1u);
    EXPECT_EQ(reading.stream.lastSessionFlags(), InternetFlagOffline);
    EXPECT_EQ(std::string(reading.stream.lastAgent()), MessageText(TextProductName));
    EXPECT_EQ(std::string(reading.stream.lastUrl()), "ftp://example.test/a%20b.jpg");
    EXPECT_NE(reading.view.hSession, nullptr);
    EXPECT_NE(reading.view.hUrl, nullptr);
    reading.view.Close();
}

// The offline session first, a plain one only when it cannot be made; a URL that is not cached
// is not asked for again online.
TEST(StreamOpen, RemoteSessionsAndUrlsAsTheirOpensAllow)
{
    const struct {
        bool failOffline, failPlain, failUrl;
        bool isOpen;
        unsigned sessionOpens, urlOpens;
    } cases[] = {
        {true, false, false, true, 2, 1},
        {false, false, true, false, 1, 1},
        {true, true, false, false, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.failOffline << c.failPlain << c.failUrl);
        Reading reading(Numbers(4));
        reading.stream.faults.failOfflineSession = c.failOffline;
        reading.stream.faults.failPlainSession = c.failPlain;
        reading.stream.faults.failUrlOpen = c.failUrl;
        reading.view.isRemote = 1;
        EXPECT_EQ(reading.view.Open("http://example.test/a.jpg"), c.isOpen);
        EXPECT_EQ(reading.stream.counters().sessionOpens, c.sessionOpens);
        EXPECT_EQ(reading.stream.counters().urlOpens, c.urlOpens);
        if (c.sessionOpens == 2 && c.isOpen) {
            EXPECT_EQ(reading.stream.lastSessionFlags(), 0u);
        }
        EXPECT_EQ(reading.view.hSession != nullptr, !c.failPlain);
        EXPECT_EQ(reading.view.hUrl != nullptr, c.isOpen);
        reading.view.Close();
        EXPECT_EQ(reading.stream.OpenHandles(), 0);
    }
}

TEST(StreamOpen, FailedLocalOpenLeavesTheInvalidHandle)
{
    Reading reading(Numbers(4));
    reading.stream.faults.failFileOpen = true;
    EXPECT_FALSE(reading.OpenLocal());
    EXPECT_EQ(reading.view.hFile, InvalidHandle());
    EXPECT_EQ(std::string(reading.stream.lastPath()), "pictures\\a.jpg");
}

TEST(Close, RemoteReleasesUrlThenSessionOnce)
{
    Reading reading(Numbers(4));
    reading.view.isRemote = 1;
    ASSERT_TRUE(reading.view.Open("http://example.test/a.jpg"));
    Handle session = reading.view.hSession, url = reading.view.hUrl;
    size_t before = reading.stream.LogSize();
    reading.view.Close();
    reading.view.Close();
    ASSERT_EQ(reading.stream.LogSize(), before + 2);
    EXPECT_EQ(reading.stream.LogAt(before).handle, url);
    EXPECT_EQ(reading.stream.LogAt(before + 1).handle, session);
    EXPECT_EQ(reading.view.hUrl, nullptr);
    EXPECT_EQ(reading.view.hSession, nullptr);
    EXPECT_EQ(reading.stream.OpenHandles(), 0);
    EXPECT_EQ(reading.stream.counters().badHandles, 0u);
}

TEST(Close, AfterFailedUrlOpenReleasesTheSessionOnly)
{
    Reading reading(Numbers(4));
    reading.stream.faults.failUrlOpen = true;
    reading.view.isRemote = 1;
    ASSERT_FALSE(reading.view.Open("http://example.test/a.jpg"));
    reading.view.Close();
    EXPECT_EQ(reading.stream.counters().internetCloses, 1u);
    EXPECT_EQ(reading.stream.counters().badHandles, 0u);
}

TEST(Close, LocalReleasesTheFileOnce)
{
    Reading reading(Numbers(4));
    ASSERT_TRUE(reading.OpenLocal());
    reading.view.Close();
    reading.view.Close();
    EXPECT_EQ(reading.stream.counters().fileCloses, 1u);
    EXPECT_EQ(reading.view.hFile, nullptr);
    EXPECT_EQ(reading.stream.OpenHandles(), 0);
}

TEST(Close, NothingAfterFailedLocalOpen)
{
    Reading reading(Numbers(4));
    reading.stream.faults.failFileOpen = true;
    ASSERT_FALSE(reading.OpenLocal());
    reading.view.Close();
    EXPECT_EQ(reading.stream.counters().fileCloses, 0u);
}

TEST(Close, FreshRecordReleasesNothing)
{
    Reading reading(Numbers(4));
    reading.view.Close();
    reading.view.isRemote = 0;
    reading.view.Close();
    EXPECT_EQ(reading.stream.CallCount(), 0u);
}

}  // namespace
