// ReadPicture: the address rules, then the walk, answering the id of the one message reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/exif_builder.h"
#include "support/reading.h"
#include "view/read_picture.h"

namespace {

Bytes ExifWithoutEntries()
{
    TiffBuilder tiff(Order::Big);
    return Jpeg({ExifSegment(tiff.Build())});
}

TEST(ReadPicture, AnswersTheIdOfTheOneMessageItReported)
{
    struct Case {
        const char* address;
        Bytes bytes;
        TextId id;
        const char* handedOn;  // what the back end was asked to open; "" when nothing was
    } cases[] = {
        {"", {}, MessageBadAddress, ""},
        {"mailto:a@example.test", ExifWithoutEntries(), MessageBadAddress, ""},
        {"file:///D", ExifWithoutEntries(), MessageBadAddress, ""},
        {"file:///pictures/a%20b.jpg", {}, MessageCannotRead, "pictures\\a b.jpg"},
        {"file:///pictures/a.jpg", {0x00, 0x00}, MessageNotJpeg, "pictures\\a.jpg"},
        {"http://example.test/a%20b.jpg", {0xFF, 0xD8}, MessageNoExif, "http://example.test/a%20b.jpg"},
        {"ftp://example.test/a.jpg", Jpeg({Segment(0xE1, {'E', 'x', 'i', 'f', 0, 0, 'X', 'X'})}), MessageBadData,
         "ftp://example.test/a.jpg"},
        {"file:///pictures/a.jpg", ExifWithoutEntries(), MessageOk, "pictures\\a.jpg"},
    };
    for (const Case& c : cases) {
        Reading reading(c.bytes);
        std::vector<char> address(c.address, c.address + std::string(c.address).size() + 1);
        EXPECT_EQ(ReadPicture(reading.view, address.data()), c.id) << c.address;
        EXPECT_EQ(reading.stream.counters().reports, 1u) << c.address;
        EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(c.id)) << c.address;
        const bool isRemote = reading.view.isRemote != 0;
        EXPECT_EQ(std::string(isRemote ? reading.stream.lastUrl() : reading.stream.lastPath()), c.handedOn)
            << c.address;
        EXPECT_EQ(reading.stream.OpenHandles(), 0) << c.address;
    }
}

}  // namespace
