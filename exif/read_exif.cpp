// The walk: a container finder names where the file keeps its Exif TIFF block; from there the
// TIFF header, IFD0, the Exif IFD (in the block, or in a TIFF structure of its own) and a
// Fujifilm maker note, whatever the container. Every way
// out reports exactly one message.
//
// TIFF block, from base (byte order of the header; TIFF 6.0, section 2; Exif 2.3, 4.6.2)
//   0  2  "II" or "MM"
//   2  2  42, not compared
//   4  4  offset of IFD0
//   IFD: 2 count, 12 per entry, next-IFD link never read
//   Fujifilm note: 8 "FUJI....", 4 offset (always LE), LE IFD
#include <cstdint>
#include <cstring>

#include "containers/exif_block.h"
#include "record/byte_order.h"
#include "record/image_stream.h"
#include "record/signed_distance.h"
#include "record/view_record.h"

namespace {

constexpr TextId Proceed = 0;  // no message yet: the walk goes on
constexpr uint8_t FujifilmIdentifier[4] = {'F', 'U', 'J', 'I'};
constexpr uint32_t Ifd0OffsetEnd = 8;       // the IFD0 offset field ends 8 bytes past base
constexpr uint32_t NoteDirectoryOffsetEnd = 12;  // the note's directory offset ends 12 past it

// Local destinations of reads start as zero bytes: what a short read leaves out reads as zero.

// The record's own stream operations as the finders' narrow stream: each finder call is one of
// the record's operations, and so one platform call.
struct RecordStream {
    ViewRecord& view;
    bool Read(void* destination, uint32_t size, uint32_t* delivered) { return view.ReadBytes(destination, size, delivered); }
    bool Seek(int32_t distance, SeekOrigin origin) { return view.Seek(distance, origin); }
    uint32_t Tell() { return view.Tell(); }
};

// A relative move to an absolute target, both computed in wrapping 32-bit arithmetic.
bool MoveTo(ViewRecord& view, uint32_t target)
{
    uint32_t difference = target - view.Tell();
    return view.Seek(AsSignedDistance(difference), FromCurrent);
}

TextId MessageOf(Finding finding)
{
    switch (finding) {
    case Finding::Found:
        return Proceed;
    case Finding::NothingToRead:
        return MessageCannotRead;
    case Finding::UnknownStart:
        return MessageNotJpeg;
    default:
        return MessageNoExif;
    }
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
    // A failed entry never ends the walk: a directory that claims too much ends quietly, at
    // the first entry that the file ends in.
    bool isCutShort = false;
    for (; count && !isCutShort; --count)
        view.ReadEntry(base, &isCutShort);
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
    RecordStream source{view};
    ImageStream stream(source);
    ExifBlock block = FindExifBlock(stream);
    TextId outcome = MessageOf(block.finding);
    if (outcome != Proceed)
        return outcome;
    // Every offset counts from the TIFF header, where the finder left the stream (block.tiffStart).
    // The base is asked of the stream all the same: the back ends then see the calls they always
    // saw, and where moves fail (WinINet under Wine) the walk still ends at the same step.
    const uint32_t base = view.Tell();
    outcome = WalkIfd0(view, base);
    if (outcome != Proceed)
        return outcome;
    // The offsets are as the entries so far (or an earlier walk) left them.
    uint32_t exifBase = base;
    if (block.exifStructure == ExifIfdInBlock && view.exifIfdOffset != 0) {
        outcome = WalkExifIfd(view, base);
    } else if (block.exifStructure != ExifIfdInBlock && block.exifStructure != NoExifIfd) {
        // A structure of its own, with its own header, byte order and base; its first directory
        // is the Exif IFD, whatever pointer IFD0 held.
        exifBase = block.exifStructure;
        outcome = MoveTo(view, exifBase) ? WalkIfd0(view, exifBase) : MessageBadData;
    }
    if (outcome != Proceed)
        return outcome;
    if (view.makerNoteOffset != 0)
        WalkFujifilmNote(view, exifBase);
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
