// Bytes in memory behind the finders' narrow stream.
#include "support/finding.h"

#include <algorithm>
#include <cstring>

#include "record/stream_position.h"

namespace {

struct BytesSource {
    const Bytes& bytes;
    uint32_t position;

    bool Read(void* destination, uint32_t size, uint32_t* delivered)
    {
        *delivered = 0;
        if (position >= bytes.size())
            return false;
        *delivered = static_cast<uint32_t>(std::min<size_t>(size, bytes.size() - position));
        std::memcpy(destination, bytes.data() + position, *delivered);
        position += *delivered;
        return *delivered != 0;
    }
    bool Seek(int32_t distance, SeekOrigin origin) { return MoveTarget(position, distance, origin, &position); }
    uint32_t Tell() { return position; }
};

}  // namespace

ExifBlock FindIn(const Bytes& bytes)
{
    BytesSource source{bytes, 0};
    ImageStream stream(source);
    return FindExifBlock(stream);
}

void PrintTo(Finding finding, std::ostream* out)
{
    static const char* const names[] = {
        "Found", "NothingToRead", "UnknownStart", "JpegNoApp1", "JpegApp1NotExif", "PngNoExifChunk",
        "WebpSimpleFormat", "WebpNoExifChunk", "IsobmffNoMeta", "IsobmffNoItemBoxes", "IsobmffNoExifItem",
        "IsobmffItemNotLocated", "IsobmffHeaderOutside", "Cr3NoCanonBox", "Cr3NoIfd0", "BlockPastEnd",
        "RawJpegOutside", "MrwNoTiffBlock",
    };
    size_t index = static_cast<size_t>(finding);
    *out << (index < sizeof names / sizeof names[0] ? names[index] : "?");
}
