// exiv2 and libexif reading the tags of Orvane's record, and the open-read-close floor.
#include "peer_readers.h"

#include <fcntl.h>
#include <libexif/exif-data.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exiv2/exiv2.hpp>
#include <vector>

namespace {

struct PeerTag {
    uint16_t tag;
    bool isImageDirectory;   // IFD0 ("Image" in exiv2's keys) or the Exif IFD ("Photo")
};

constexpr PeerTag peerTags[PeerTagCount] = {
    {0x010E, true},  {0x010F, true},  {0x0110, true},  {0x0131, true},  {0x0132, true},
    {0x013B, true},  {0x8298, true},  {0x829A, false}, {0x829D, false}, {0x8822, false},
    {0x8827, false}, {0x9000, false}, {0x9003, false}, {0x9004, false}, {0x9102, false},
    {0x9201, false}, {0x9202, false}, {0x9203, false}, {0x9204, false}, {0x9205, false},
    {0x9206, false}, {0x9207, false}, {0x9208, false}, {0x9209, false}, {0x920A, false},
    {0xA002, false}, {0xA003, false}, {0xA004, false}, {0xA215, false}, {0xA401, false},
    {0xA402, false}, {0xA403, false}, {0xA404, false}, {0xA405, false}, {0xA406, false},
    {0xA408, false}, {0xA409, false}, {0xA40A, false}, {0xA40C, false},
};

void CopyText(char (&destination)[PeerTextSize], const char* text)
{
    std::snprintf(destination, sizeof destination, "%s", text);
}

// Keys are built once, as a program using exiv2 for a fixed set of tags would.
const std::vector<Exiv2::ExifKey>& Exiv2Keys()
{
    static const std::vector<Exiv2::ExifKey> keys = [] {
        std::vector<Exiv2::ExifKey> built;
        for (const PeerTag& tag : peerTags)
            built.emplace_back(tag.tag, tag.isImageDirectory ? "Image" : "Photo");
        return built;
    }();
    return keys;
}

}  // namespace

void QuietenPeers()
{
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2Keys();
}

int ReadWithExiv2(const std::string& path, PeerTexts& texts)
{
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
        image->readMetadata();
        const Exiv2::ExifData& data = image->exifData();
        int found = 0;
        for (int index = 0; index < PeerTagCount; ++index) {
            auto item = data.findKey(Exiv2Keys()[index]);
            if (item == data.end())
                continue;
            CopyText(texts[index], item->print(&data).c_str());   // interpreted, as exiv2 -pt shows it
            ++found;
        }
        return found;
    } catch (const Exiv2::AnyError&) {
        return -1;
    }
}

int ReadWithLibexif(const std::string& path, PeerTexts& texts)
{
    ExifData* data = exif_data_new_from_file(path.c_str());
    if (!data)
        return -1;
    int found = 0;
    for (int index = 0; index < PeerTagCount; ++index) {
        ExifIfd directory = peerTags[index].isImageDirectory ? EXIF_IFD_0 : EXIF_IFD_EXIF;
        ExifEntry* entry = exif_content_get_entry(data->ifd[directory], static_cast<ExifTag>(peerTags[index].tag));
        if (!entry)
            continue;
        exif_entry_get_value(entry, texts[index], PeerTextSize);   // libexif's own display text
        ++found;
    }
    exif_data_unref(data);
    return found;
}

long ReadFirstBlock(const std::string& path)
{
    static char block[1 << 16];
    int file = open(path.c_str(), O_RDONLY);
    if (file < 0)
        return -1;
    ssize_t got = read(file, block, sizeof block);
    close(file);
    return static_cast<long>(got);
}
