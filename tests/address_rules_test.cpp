// Which addresses are read, through which back end, and how "file:///" becomes a path.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/reading.h"
#include "view/classify_address.h"

namespace {

struct Classified {
    bool accepted;
    std::string text;  // the address after the call
    uint8_t isRemote;
    uint32_t reports;
};

Classified Classify(const char* address, uint8_t isRemoteBefore = 1)
{
    Reading reading({});
    reading.view.isRemote = isRemoteBefore;
    char buffer[300];
    std::memset(buffer, Poison, sizeof buffer);
    std::memcpy(buffer, address, std::strlen(address) + 1);
    Classified result;
    result.accepted = ClassifyAddress(reading.view, buffer);
    result.text = buffer;
    result.isRemote = reading.view.isRemote;
    result.reports = reading.stream.counters().reports;
    if (!result.accepted) {
        EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(MessageBadAddress)) << address;
    }
    EXPECT_EQ(reading.stream.CallCount(), 0u) << address;  // no handle is touched either way
    return result;
}

TEST(AddressRules, TenByteRemoteAddressIsAccepted)
{
    Classified result = Classify("http://a.b");
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.text, "http://a.b");
    EXPECT_EQ(result.isRemote, 1);
    EXPECT_EQ(result.reports, 0u);
}

TEST(AddressRules, NineBytesAreRefusedWhateverThePrefix)
{
    for (const char* address : {"http://ab", "file:///D", "", "ftp://a.b"}) {
        Classified result = Classify(address);
        EXPECT_FALSE(result.accepted) << address;
        EXPECT_EQ(result.reports, 1u) << address;
    }
}

TEST(AddressRules, NullAddressIsRefused)
{
    Reading reading({});
    EXPECT_FALSE(ClassifyAddress(reading.view, nullptr));
    EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(MessageBadAddress));
    EXPECT_EQ(ThreadErrorText(), MessageText(MessageBadAddress));
}

TEST(AddressRules, PrefixesAreExactAndCaseSensitive)
{
    for (const char* address : {"HTTP://example.test/a.jpg", "File:///D:/a.jpg", "HTTPS://example.test/a.jpg",
                                "https:/example.test/a.jpg", "httpss://example.test/a.jpg", "file://server/share/a.jpg", " http://example.test/a.jpg", "mailto:someone@x"}) {
        Classified result = Classify(address, 0);
        EXPECT_FALSE(result.accepted) << address;
        EXPECT_EQ(result.text, address);
        EXPECT_EQ(result.isRemote, 0) << "a refusal keeps isRemote: " << address;
    }
}

TEST(AddressRules, RemoteAddressesPassUnchanged)
{
    for (const char* address : {"ftp://example.test/My%20Photos/a.jpg", "gopher://example.test/a%20b",
                                "http://example.test/a/b.jpg", "https://example.test/a%20b.jpg", "https://a.b"}) {
        Classified result = Classify(address, 0);
        EXPECT_TRUE(result.accepted) << address;
        EXPECT_EQ(result.text, address);
        EXPECT_EQ(result.isRemote, 1);
    }
}

TEST(AddressRules, FileAddressBecomesALocalPath)
{
    Classified result = Classify("file:///D:/My%20Photos/a.jpg");
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.text, "D:\\My Photos\\a.jpg");
    EXPECT_EQ(result.isRemote, 0);
    EXPECT_EQ(Classify("file:////srv/share/a.jpg").text, "\\srv\\share\\a.jpg");
}

TEST(AddressRules, OnlyPercentTwentyIsDecoded)
{
    EXPECT_EQ(Classify("file:///a%2Fb%41c%2").text, "a%2Fb%41c%2");
    EXPECT_EQ(Classify("file:///a%%20b").text, "a% b");
    EXPECT_EQ(Classify("file:///abc%").text, "abc%");
    EXPECT_EQ(Classify("file:///abc%20").text, "abc ");
    EXPECT_EQ(Classify("file:///%20%20%20").text, "   ");
}

TEST(AddressRules, DoubleByteTextIsCopiedByteForByte)
{
    EXPECT_EQ(Classify("file:///D:/\xD5\xD5\xC6\xAC/a.jpg").text, "D:\\\xD5\xD5\xC6\xAC\\a.jpg");
}

TEST(AddressRules, RewriteStaysWithinTheText)
{
    Reading reading({});
    char buffer[32];
    std::memset(buffer, Poison, sizeof buffer);
    std::memcpy(buffer, "file:///x/y%20z", 16);
    ASSERT_TRUE(ClassifyAddress(reading.view, buffer));
    EXPECT_STREQ(buffer, "x\\y z");
    for (size_t i = 16; i < sizeof buffer; ++i)
        EXPECT_EQ(static_cast<uint8_t>(buffer[i]), Poison) << "byte " << i;
}

TEST(AddressRules, AcceptedFileAddressIsOpenedAsItsPath)
{
    Reading reading(Jpeg({ExifSegment(TiffBuilder(Order::Little).Build())}));
    char address[] = "file:///D:/My%20Photos/a.jpg";
    ASSERT_TRUE(ClassifyAddress(reading.view, address));
    EXPECT_TRUE(reading.view.ReadExif(address));
    EXPECT_EQ(std::string(reading.stream.lastPath()), "D:\\My Photos\\a.jpg");
    EXPECT_EQ(reading.stream.counters().fileOpens, 1u);
    EXPECT_EQ(ThreadErrorText(), "ok");
}

TEST(AddressRules, AcceptedRemoteAddressIsOpenedUnchanged)
{
    Reading reading(Jpeg({ExifSegment(TiffBuilder(Order::Little).Build())}));
    reading.view.isRemote = 0;
    char address[] = "gopher://example.test/a%20b.jpg";
    ASSERT_TRUE(ClassifyAddress(reading.view, address));
    EXPECT_TRUE(reading.view.ReadExif(address));
    EXPECT_EQ(std::string(reading.stream.lastUrl()), "gopher://example.test/a%20b.jpg");
    EXPECT_EQ(reading.stream.counters().fileOpens, 0u);
}

}  // namespace
