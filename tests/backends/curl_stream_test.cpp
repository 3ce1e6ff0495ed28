// The libcurl remote back end, through its call table, against a loopback HTTP server.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <vector>

#include "backends/curl_retry.h"
#include "backends/curl_stream.h"
#include "backends/native_backends.h"
#include "support/loopback_http_server.h"

namespace {

const InternetCalls& Calls() { return CurlInternetCalls(); }

// Sessions that give up on a silent server, and retry, within a test's patience.
const CurlTimeouts ShortWaits = {1000, 300, 1000, 4, 10, 50};
const InternetCalls& ImpatientCalls() { return CurlInternetCalls<ShortWaits>(); }

ServerOptions Serving(ServeMode mode, uint64_t bodySize)
{
    ServerOptions options;
    options.mode = mode;
    options.bodySize = bodySize;
    return options;
}

// A session and a URL opened through the table, closed URL first.
struct RemotePicture {
    explicit RemotePicture(const std::string& url, const char* agent = "Orvane",
                           const InternetCalls& opening = Calls())
    {
        session = opening.openSession(agent, InternetFlagOffline);
        picture = session ? Calls().openUrl(session, url.c_str()) : nullptr;
    }
    ~RemotePicture()
    {
        if (picture)
            Calls().close(picture);
        if (session)
            Calls().close(session);
    }
    Handle session = nullptr;
    Handle picture = nullptr;
};

// Reads size bytes at position into a buffer poisoned with 0xAA.
std::vector<uint8_t> ReadAt(Handle picture, uint32_t position, uint32_t size, uint32_t* delivered)
{
    std::vector<uint8_t> bytes(size, 0xAA);
    *delivered = 0xDEADBEEF;
    EXPECT_EQ(Calls().move(picture, static_cast<int32_t>(position), FromBeginning), position);
    Calls().read(picture, bytes.data(), size, delivered);
    return bytes;
}

// The bytes match the server's body from position on, for count bytes.
void ExpectBody(const std::vector<uint8_t>& bytes, uint64_t position, uint32_t count)
{
    const std::vector<uint8_t> none;
    for (uint32_t i = 0; i < count; ++i)
        ASSERT_EQ(bytes[i], LoopbackHttpServer::BodyByte(none, position + i)) << "byte " << i << " at " << position;
}

class CurlTest : public ::testing::Test {};

using CurlOpen = CurlTest;
using CurlRanges = CurlTest;
using CurlWholeBody = CurlTest;
using CurlSeek = CurlTest;
using CurlStall = CurlTest;
using CurlHandles = CurlTest;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(CurlOpen, RangeServerOpensWithOneBlockRequest)
{
    ServerOptions options = Serving(ServeMode::Ranges, 100000);
    options.prefix = {0xFF, 0xD8, 0xFF, 0xE1};
    LoopbackHttpServer server(options);
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    uint8_t bytes[4] = {};
    uint32_t delivered = 0;
    EXPECT_TRUE(Calls().read(remote.picture, bytes, 4, &delivered));
    EXPECT_EQ(delivered, 4u);
    EXPECT_EQ(memcmp(bytes, "\xFF\xD8\xFF\xE1", 4), 0);
    EXPECT_EQ(server.RequestCount(), 1);
    EXPECT_EQ(server.RangeHeaders().at(0), "bytes=0-32767");
}

TEST_F(CurlOpen, SessionAgentIsTheUserAgent)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 10));
    RemotePicture remote(server.Url(), "Orvane");
    ASSERT_NE(remote.picture, nullptr);
    EXPECT_EQ(server.LastUserAgent(), "Orvane");
}

// A busy or failing server is asked again, up to the attempts; a refusal is final at once.
TEST_F(CurlOpen, ErrorStatusFailsOpenAfterItsTries)
{
    const struct {
        int status;
        int requests;
    } cases[] = {{400, 1}, {403, 1}, {404, 1}, {429, 4}, {500, 4}, {503, 4}};
    for (const auto& c : cases) {
        ServerOptions options = Serving(ServeMode::Status, 0);
        options.status = c.status;
        LoopbackHttpServer server(options);
        RemotePicture remote(server.Url(), "Orvane", ImpatientCalls());
        EXPECT_NE(remote.session, nullptr);
        EXPECT_EQ(remote.picture, nullptr) << "status " << c.status;
        EXPECT_EQ(server.RequestCount(), c.requests) << "status " << c.status;
    }
}

TEST_F(CurlOpen, RetryWaitsDoubleHonourRetryAfterAndStayBounded)
{
    const struct {
        uint32_t attempt;
        long retryAfter;
        long shortest, longest;  // the wait for the smallest and the largest draw
    } cases[] = {
        {1, 0, 125, 250}, {2, 0, 250, 500}, {3, 0, 500, 1000}, {6, 0, 4000, 8000}, {40, 0, 4000, 8000},
        {1, 3, 1500, 3000}, {3, 1, 500, 1000}, {1, 3600, 4000, 8000}, {1, -5, 125, 250},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RetryWait(DefaultCurlTimeouts, c.attempt, c.retryAfter, 0).count(), c.shortest) << c.attempt << " " << c.retryAfter;
        const long longest = RetryWait(DefaultCurlTimeouts, c.attempt, c.retryAfter, UINT32_MAX).count();
        EXPECT_GE(longest, c.shortest) << c.attempt << " " << c.retryAfter;
        EXPECT_LE(longest, c.longest) << c.attempt << " " << c.retryAfter;
        EXPECT_EQ(RetryWait(DefaultCurlTimeouts, c.attempt, c.retryAfter, static_cast<uint32_t>(c.longest - c.shortest)).count(),
                  c.longest) << c.attempt << " " << c.retryAfter;
    }
}

// A thread's next picture from the same host goes over the connection its last one left open.
TEST_F(CurlOpen, NextPictureReusesTheConnection)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 1000));
    for (const char* path : {"/a.jpg", "/b.jpg", "/a.jpg"}) {
        RemotePicture remote(server.Url(path));
        EXPECT_NE(remote.picture, nullptr) << path;
    }
    EXPECT_EQ(server.RequestCount(), 3);
    EXPECT_EQ(server.ConnectionCount(), 1);
}

// A server that keeps sending a byte now and then never stalls, but the request has its time.
TEST_F(CurlOpen, SlowTrickleEndsAtTheTransferTimeout)
{
    LoopbackHttpServer server(Serving(ServeMode::Trickle, 100000));
    const auto start = std::chrono::steady_clock::now();
    RemotePicture remote(server.Url(), "Orvane", ImpatientCalls());
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_EQ(server.RequestCount(), 1);  // a timeout is not tried again
}

TEST_F(CurlOpen, RefusedConnectionFailsOpen)
{
    const uint16_t port = UnusedLoopbackPort();
    ASSERT_NE(port, 0);
    RemotePicture remote("http://127.0.0.1:" + std::to_string(port) + "/photo.jpg");
    EXPECT_EQ(remote.picture, nullptr);
}

TEST_F(CurlOpen, SilentServerFailsOpenAfterStallTime)
{
    LoopbackHttpServer server(Serving(ServeMode::Stall, 1000));
    const auto start = std::chrono::steady_clock::now();
    RemotePicture remote(server.Url(), "Orvane", ImpatientCalls());
    EXPECT_EQ(remote.picture, nullptr);
    EXPECT_LT(SecondsSince(start), 5.0);
}

TEST_F(CurlOpen, EmptyWholeBodyOpensAndDeliversNothing)
{
    LoopbackHttpServer server(Serving(ServeMode::WholeBody, 0));
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    uint8_t byte = 0x55;
    uint32_t delivered = 7;
    Calls().read(remote.picture, &byte, 1, &delivered);
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(byte, 0x55);
}

TEST_F(CurlRanges, HeaderReadOfTwentyMegabytePictureTransfersLittle)
{
    constexpr uint64_t size = 20 * 1000 * 1000;
    LoopbackHttpServer server(Serving(ServeMode::Ranges, size));
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    // The walk's shape: markers at the start, then entries and values scattered in the segment.
    uint32_t delivered = 0;
    for (uint32_t position : {0u, 2u, 4u, 6u, 12u, 20u, 300u, 9000u, 30000u, 40000u, 60000u, 65000u}) {
        const std::vector<uint8_t> bytes = ReadAt(remote.picture, position, 12, &delivered);
        ASSERT_EQ(delivered, 12u) << "at " << position;
        ExpectBody(bytes, position, 12);
    }
    RecordProperty("body_bytes_sent", static_cast<int>(server.BodyBytesSent()));
    EXPECT_LT(server.BodyBytesSent(), 256u * 1024);
    EXPECT_EQ(server.BodyBytesSent(), 2u * CurlBlockSize);
}

// What reads deliver, whatever the server's way of answering: the body's bytes up to where it
// ends (bytes past that stay as they were), and no more requests than the blocks need.
TEST_F(CurlRanges, ReadsDeliverTheBodyToItsEndWithFewRequests)
{
    constexpr uint32_t B = CurlBlockSize;
    const struct {
        const char* what;
        ServeMode mode;
        uint64_t size;
        std::vector<std::array<uint32_t, 3>> reads;  // position, size, bytes delivered
        int requests;
    } cases[] = {
        {"across blocks", ServeMode::Ranges, 5 * B, {{B - 32, 64, 64}, {2 * B - 5, B + 10, B + 10}}, 4},
        {"near the end", ServeMode::Ranges, 1000, {{990, 20, 10}, {1000, 4, 0}}, 1},
        {"length on a block boundary", ServeMode::Ranges, 2 * B, {{2 * B - 4, 8, 4}, {2 * B, 8, 0}}, 2},
        {"ranges refused: read once", ServeMode::WholeBody, 100000, {{70000, 16, 16}, {99990, 16, 10}}, 1},
        // Cut off at 5,000 bytes: asked again, every try ends there, which stays the end.
        {"closed early", ServeMode::CloseEarly, 100000, {{4990, 20, 10}, {6000, 4, 0}}, 4},
    };
    for (const auto& c : cases) {
        ServerOptions options = Serving(c.mode, c.size);
        options.closeAfter = 5000;
        LoopbackHttpServer server(options);
        RemotePicture remote(server.Url(), "Orvane", ImpatientCalls());
        ASSERT_NE(remote.picture, nullptr) << c.what;
        for (const auto& read : c.reads) {
            uint32_t delivered = 0;
            const std::vector<uint8_t> bytes = ReadAt(remote.picture, read[0], read[1], &delivered);
            EXPECT_EQ(delivered, read[2]) << c.what << " at " << read[0];
            ExpectBody(bytes, read[0], read[2]);
            for (size_t i = read[2]; i < bytes.size(); ++i)
                ASSERT_EQ(bytes[i], 0xAA) << c.what << " at " << read[0] << ", byte " << i;
            EXPECT_EQ(Calls().move(remote.picture, 0, FromCurrent), read[0] + read[2]) << c.what;
        }
        EXPECT_EQ(server.RequestCount(), c.requests) << c.what;
        if (c.mode == ServeMode::CloseEarly) {
            EXPECT_EQ(server.BodyBytesSent(), 4u * 5000);
        }
    }
}

TEST_F(CurlRanges, CachedBlocksAreNotFetchedAgain)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 8 * CurlBlockSize));
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    uint32_t delivered = 0;
    const auto readBlock = [&](uint32_t block) {
        const std::vector<uint8_t> bytes = ReadAt(remote.picture, block * CurlBlockSize + 7, 3, &delivered);
        EXPECT_EQ(delivered, 3u);
        ExpectBody(bytes, block * CurlBlockSize + 7, 3);
    };
    for (uint32_t block = 0; block < CurlCachedBlocks; ++block)
        readBlock(block);
    EXPECT_EQ(server.RequestCount(), CurlCachedBlocks);
    readBlock(0);
    readBlock(1);
    EXPECT_EQ(server.RequestCount(), CurlCachedBlocks);
    readBlock(CurlCachedBlocks);  // evicts block 2, the one used longest ago
    EXPECT_EQ(server.RequestCount(), CurlCachedBlocks + 1);
    readBlock(0);
    readBlock(1);
    EXPECT_EQ(server.RequestCount(), CurlCachedBlocks + 1);
    readBlock(2);
    EXPECT_EQ(server.RequestCount(), CurlCachedBlocks + 2);
}

TEST_F(CurlWholeBody, BodyOverCapKeepsFirst32MiB)
{
    constexpr uint64_t size = 48u * 1024 * 1024;
    LoopbackHttpServer server(Serving(ServeMode::WholeBody, size));
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    uint32_t delivered = 0;
    std::vector<uint8_t> bytes = ReadAt(remote.picture, CurlBodyCap - 4, 8, &delivered);
    EXPECT_EQ(delivered, 4u);
    ExpectBody(bytes, CurlBodyCap - 4, 4);
    ReadAt(remote.picture, CurlBodyCap, 8, &delivered);
    EXPECT_EQ(delivered, 0u);
    EXPECT_LT(server.BodyBytesSent(), size);  // the transfer was stopped, not read to its end
}

TEST_F(CurlSeek, NegativeTargetFailsAndKeepsPosition)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 100));
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    EXPECT_EQ(Calls().move(remote.picture, 4, FromBeginning), 4u);
    EXPECT_EQ(Calls().move(remote.picture, -10, FromCurrent), InvalidPosition);
    EXPECT_EQ(Calls().move(remote.picture, -1, FromBeginning), InvalidPosition);
    EXPECT_EQ(Calls().move(remote.picture, 0, FromCurrent), 4u);
    EXPECT_EQ(Calls().move(remote.picture, -4, FromCurrent), 0u);
}

TEST_F(CurlSeek, PositionsFrom2GiBFail)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 100));
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    EXPECT_EQ(Calls().move(remote.picture, 0x7FFFFFFF, FromBeginning), 0x7FFFFFFFu);
    EXPECT_EQ(Calls().move(remote.picture, 1, FromCurrent), InvalidPosition);
    EXPECT_EQ(Calls().move(remote.picture, 0x7FFFFFFF, FromCurrent), InvalidPosition);
    EXPECT_EQ(Calls().move(remote.picture, 0, FromCurrent), 0x7FFFFFFFu);
}

TEST_F(CurlSeek, MoveBeyondEndSucceedsAndNextReadDeliversNothing)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 50));
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    EXPECT_EQ(Calls().move(remote.picture, 100, FromBeginning), 100u);
    uint8_t byte = 0x55;
    uint32_t delivered = 9;
    Calls().read(remote.picture, &byte, 1, &delivered);
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(byte, 0x55);
    EXPECT_EQ(Calls().move(remote.picture, 0, FromCurrent), 100u);
}

TEST_F(CurlSeek, ReadAdvancesPositionByDeliveredCount)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 50));
    RemotePicture remote(server.Url());
    ASSERT_NE(remote.picture, nullptr);
    uint8_t bytes[12];
    uint32_t delivered = 0;
    Calls().read(remote.picture, bytes, 12, &delivered);
    EXPECT_EQ(Calls().move(remote.picture, 0, FromCurrent), 12u);
    EXPECT_EQ(Calls().move(remote.picture, 44, FromBeginning), 44u);
    Calls().read(remote.picture, bytes, 12, &delivered);
    EXPECT_EQ(delivered, 6u);
    EXPECT_EQ(Calls().move(remote.picture, 0, FromCurrent), 50u);
}

TEST_F(CurlStall, StallOnLaterBlockEndsThePictureThere)
{
    LoopbackHttpServer server(Serving(ServeMode::StallAfterFirst, 4 * CurlBlockSize));
    RemotePicture remote(server.Url(), "Orvane", ImpatientCalls());
    ASSERT_NE(remote.picture, nullptr);
    uint32_t delivered = 0;
    const auto start = std::chrono::steady_clock::now();
    std::vector<uint8_t> bytes = ReadAt(remote.picture, CurlBlockSize - 4, 8, &delivered);
    EXPECT_EQ(delivered, 4u);  // what block 0 holds; block 1 never came
    ExpectBody(bytes, CurlBlockSize - 4, 4);
    EXPECT_LT(SecondsSince(start), 5.0);
    const int requests = server.RequestCount();
    ReadAt(remote.picture, 2 * CurlBlockSize, 8, &delivered);
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(server.RequestCount(), requests);  // one wait, not one per read
    bytes = ReadAt(remote.picture, 10, 8, &delivered);
    EXPECT_EQ(delivered, 8u);
    ExpectBody(bytes, 10, 8);
}

TEST_F(CurlHandles, TwoUrlsKeepTheirOwnPositions)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 3 * CurlBlockSize));
    const InternetCalls& calls = Calls();
    Handle session = calls.openSession("Orvane", 0);
    Handle first = calls.openUrl(session, server.Url().c_str());
    Handle second = calls.openUrl(session, server.Url().c_str());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(calls.move(first, 100, FromBeginning), 100u);
    EXPECT_EQ(calls.move(second, CurlBlockSize + 200, FromBeginning), CurlBlockSize + 200);
    uint8_t a[8], b[8];
    uint32_t delivered = 0;
    calls.read(first, a, 8, &delivered);
    EXPECT_EQ(delivered, 8u);
    calls.read(second, b, 8, &delivered);
    EXPECT_EQ(delivered, 8u);
    ExpectBody(std::vector<uint8_t>(a, a + 8), 100, 8);
    ExpectBody(std::vector<uint8_t>(b, b + 8), CurlBlockSize + 200, 8);
    EXPECT_EQ(calls.move(first, 0, FromCurrent), 108u);
    EXPECT_EQ(calls.move(second, 0, FromCurrent), CurlBlockSize + 208);
    calls.close(first);
    calls.close(second);
    calls.close(session);
}

TEST_F(CurlHandles, UrlOutlivesItsSession)
{
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 2 * CurlBlockSize));
    const InternetCalls& calls = Calls();
    Handle session = calls.openSession("Orvane", InternetFlagOffline);
    Handle picture = calls.openUrl(session, server.Url().c_str());
    ASSERT_NE(picture, nullptr);
    calls.close(session);
    uint32_t delivered = 0;
    const std::vector<uint8_t> bytes = ReadAt(picture, CurlBlockSize + 1, 4, &delivered);
    EXPECT_EQ(delivered, 4u);
    ExpectBody(bytes, CurlBlockSize + 1, 4);
    calls.close(picture);
}

TEST_F(CurlHandles, SessionHandleIsNoPicture)
{
    const InternetCalls& calls = Calls();
    Handle session = calls.openSession("Orvane", 0);
    uint8_t byte = 0;
    uint32_t delivered = 5;
    EXPECT_FALSE(calls.read(session, &byte, 1, &delivered));
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(calls.move(session, 0, FromCurrent), InvalidPosition);
    EXPECT_EQ(calls.openUrl(nullptr, "http://127.0.0.1/"), nullptr);
    calls.close(session);
}

TEST_F(CurlHandles, OnlyItsOwnOpenHandlesAreUsedOrClosed)
{
    // A handle is known by its address: a foreign one, or one closed already, is never
    // dereferenced or freed (ASan would see it).
    LoopbackHttpServer server(Serving(ServeMode::Ranges, 100));
    const InternetCalls& calls = Calls();
    Handle session = calls.openSession("Orvane", 0);
    Handle url = calls.openUrl(session, server.Url().c_str());
    ASSERT_NE(url, nullptr);
    uint64_t foreign[4] = {0x55524C2000000000u, 0x53455353u, 0, 0};  // bytes like an old tag
    uint8_t byte = 0;
    uint32_t delivered = 7;
    EXPECT_FALSE(calls.read(foreign, &byte, 1, &delivered));
    EXPECT_EQ(delivered, 0u);
    EXPECT_EQ(calls.move(foreign, 1, FromBeginning), InvalidPosition);
    EXPECT_EQ(calls.openUrl(foreign, server.Url().c_str()), nullptr);
    calls.close(foreign);
    calls.close(url);
    calls.close(url);
    EXPECT_FALSE(calls.read(url, &byte, 1, &delivered)) << "a closed handle reads nothing";
    EXPECT_EQ(calls.move(url, 0, FromCurrent), InvalidPosition);
    calls.close(session);
    calls.close(session);
    EXPECT_EQ(calls.openUrl(session, server.Url().c_str()), nullptr) << "a closed session opens nothing";
}

}  // namespace

#endif
