// The walk: JPEG start, marker scan up to the first APP1, "Exif", TIFF header, IFD0, Exif IFD
// and a Fujifilm maker note; every way out reports exactly one message.
//
// JPEG (big-endian)        TIFF, from base (byte order of the header)
//   0  2  FF D8             0  2  "II" or "MM"
//   2  2  marker            2  2  42, not compared
//   4  2  length (+2)       4  4  offset of IFD0
//   ...   FF E1 APP1       IFD: 2 count, 12 per entry, next-IFD link never read
//   +4 6  "Exif" 00 00     Fujifilm note: 8 "FUJI....", 4 offset (always LE), LE IFD
//   +10   TIFF base
#include <cstdint>
#include <cstring>

#include "exif/byte_order.h"
#include "exif/signed_distance.h"
#include "exif/view_record.h"

namespace {

constexpr TextId Proceed = 0;  // no message yet: the walk goes on

constexpr uint8_t MarkerStartOfImage[2] = {0xFF, 0xD8};
constexpr uint8_t MarkerApp1[2] = {0xFF, 0xE1};
constexpr uint8_t ExifIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint8_t FujifilmIdentifier[4] = {'F', 'U', 'J', 'I'};
constexpr uint32_t Ifd0OffsetEnd = 8;       // the IFD0 offset field ends 8 bytes past base
constexpr uint32_t NoteDirectoryOffsetEnd = 12;  // the note's directory offset ends 12 past it

// Local destinations of reads start as zero bytes: what a short read leaves out reads as zero.

// A relative move to an absolute target, both computed in wrapping 32-bit arithmetic.
bool MoveTo(ViewRecord& view, uint32_t target)
{
    uint32_t difference = target - view.Tell();
    return view.Seek(AsSignedDistance(difference), FromCurrent);
}

// Reads a directory's entry count at the current position; false when nothing arrives.
bool ReadEntryCount(ViewRecord& view, uint32_t* count)
{
    uint16_t value = 0;
    if (!view.ReadWord(&value, sizeof value))
        return false;
    if (!view.isLittleEndian)
        Swap16(value);
    *count = value;
    return true;
}

void ReadEntries(ViewRecord& view, uint32_t count, uint32_t base)
{
    // A failed entry never ends the walk: a directory that claims too much ends quietly.
    for (; count; --count)
        view.ReadEntry(base);
}

// Start of image, then segments (marker, length) up to the first APP1, which must carry Exif.
TextId ScanToExif(ViewRecord& view)
{
    uint8_t startOfImage[2] = {};
    if (!view.ReadWord(startOfImage, sizeof startOfImage))
        return MessageCannotRead;
    if (std::memcmp(startOfImage, MarkerStartOfImage, sizeof startOfImage) != 0)
        return MessageNotJpeg;
    // Every step reads 4 bytes and moves back at most 2, so the scan ends at the end of the data.
    for (;;) {
        uint8_t header[4] = {};
        uint32_t delivered = 0;
        if (!view.ReadWord(header, sizeof header, &delivered) || delivered < sizeof header)
            return MessageNoExif;
        if (std::memcmp(header, MarkerApp1, sizeof MarkerApp1) == 0)
            break;
        uint32_t length = uint32_t{header[2]} << 8 | header[3];  // JPEG lengths are big-endian
        if (!view.Seek(AsSignedDistance(length - 2), FromCurrent))  // length 0 or 1 moves back
            return MessageNoExif;
    }
    // The first APP1 decides: a later Exif segment is not looked for.
    uint8_t identifier[6] = {};
    if (!view.ReadWord(identifier, sizeof identifier) ||
        std::memcmp(identifier, ExifIdentifier, sizeof identifier) != 0)
        return MessageNoExif;
    return Proceed;
}

TextId WalkIfd0(ViewRecord& view, uint32_t base)
{
    uint8_t byteOrder[4] = {};  // the identification number 42 is read, not compared
    if (!view.ReadWord(byteOrder, sizeof byteOrder))
        return MessageBadData;
    if (byteOrder[0] == 'I' && byteOrder[1] == 'I')
        view.isLittleEndian = 1;
    else if (byteOrder[0] == 'M' && byteOrder[1] == 'M')
        view.isLittleEndian = 0;
    else
        return MessageBadData;

    uint32_t offset = 0;
    if (!view.ReadDword(&offset, sizeof offset))
        return MessageBadData;
    if (!view.isLittleEndian)
        Swap32(offset);
    uint32_t count = 0;
    if (!view.Seek(AsSignedDistance(offset - Ifd0OffsetEnd), FromCurrent) || !ReadEntryCount(view, &count))
        return MessageBadData;
    ReadEntries(view, count, base);
    return Proceed;
}

TextId WalkExifIfd(ViewRecord& view, uint32_t base)
{
    uint32_t count = 0;
    if (!MoveTo(view, base + view.exifIfdOffset) || !ReadEntryCount(view, &count))
        return MessageBadData;
    ReadEntries(view, count, base);
    return Proceed;
}

// Nothing in the maker note can fail the walk any more; a failure only ends this pass.
void WalkFujifilmNote(ViewRecord& view, uint32_t base)
{
    if (!MoveTo(view, base + view.makerNoteOffset))
        return;
    uint32_t noteBase = view.Tell();
    // Into scratch, which keeps its bytes where the read falls short.
    if (!view.ReadBytes(view.scratch, 8) || std::memcmp(view.scratch, FujifilmIdentifier, 4) != 0)
        return;
    uint32_t offset = 0;  // the note is little-endian whatever the TIFF header said
    if (!view.ReadDword(&offset, sizeof offset))
        return;
    if (!view.Seek(AsSignedDistance(offset - NoteDirectoryOffsetEnd), FromCurrent))
        return;
    uint16_t count = 0;
    if (!view.ReadWord(&count, sizeof count))
        return;
    view.isLittleEndian = 1;
    ReadEntries(view, count, noteBase);
}

TextId Walk(ViewRecord& view, const char* address)
{
    if (!view.Open(address))
        return MessageCannotRead;
    TextId outcome = ScanToExif(view);
    if (outcome != Proceed)
        return outcome;
    uint32_t base = view.Tell();  // the TIFF header: every offset counts from here
    outcome = WalkIfd0(view, base);
    if (outcome != Proceed)
        return outcome;
    // The offsets are as the entries so far (or an earlier walk) left them.
    if (view.exifIfdOffset != 0) {
        outcome = WalkExifIfd(view, base);
        if (outcome != Proceed)
            return outcome;
    }
    if (view.makerNoteOffset != 0)
        WalkFujifilmNote(view, base);
    return MessageOk;
}

}  // namespace

TextId ViewRecord::ReadAndReport(const char* address)
{
    TextId outcome = Walk(*this, address);
    ReportMessage(outcome);
    return outcome;
}

bool ViewRecord::ReadExif(const char* address) { return ReadAndReport(address) == MessageOk; }
