// libcurl is loaded by the first remote open, never by reading local files. Each test runs in a
// process of its own under CTest; run together, an earlier remote test may have loaded it.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "backends/native_backends.h"
#include "record/view_record.h"
#include "support/loopback_http_server.h"
#include "view/classify_address.h"
#include "view/default_platform.h"

namespace {

bool IsCurlMapped()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libcurl") != std::string::npos)
            return true;
    return false;
}

// Taken before any test runs: a library linked into the program is mapped by then.
const bool isCurlMappedAtStart = IsCurlMapped();

TEST(CurlLoading, LocalFilesAreReadWithoutLoadingLibcurl)
{
    ASSERT_FALSE(isCurlMappedAtStart) << "libcurl is linked, not loaded on demand";
    if (IsCurlMapped())
        GTEST_SKIP() << "an earlier test of this process loaded libcurl";
    ViewRecord view{nullptr, DefaultPlatform()};
    std::string address = std::string("file://") + ORVANE_SAMPLES_DIR + "/Canon_40D.jpg";
    ASSERT_TRUE(ClassifyAddress(view, &address[0]));
    EXPECT_TRUE(view.ReadExif(address.c_str()));
    EXPECT_FALSE(IsCurlMapped());
}

TEST(CurlLoading, FirstRemoteOpenLoadsLibcurl)
{
    ServerOptions options;
    options.bodySize = 100;
    LoopbackHttpServer server(options);
    const InternetCalls& calls = CurlInternetCalls();
    Handle session = calls.openSession("Orvane", InternetFlagOffline);
    ASSERT_NE(session, nullptr);
    Handle picture = calls.openUrl(session, server.Url().c_str());
    EXPECT_NE(picture, nullptr);
    EXPECT_TRUE(IsCurlMapped());
    uint8_t bytes[4] = {};
    uint32_t delivered = 0;
    EXPECT_TRUE(calls.read(picture, bytes, sizeof bytes, &delivered));
    EXPECT_EQ(delivered, 4u);
    EXPECT_EQ(bytes[3], LoopbackHttpServer::BodyByte({}, 3));
    calls.close(picture);
    calls.close(session);
}

}  // namespace
#endif
