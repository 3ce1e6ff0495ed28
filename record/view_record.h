// The View object's reader state: photo record, stream handles and walk state, in order.
#pragma once

#include <cstdint>

#include "record/info_slot.h"
#include "record/platform.h"

// One TIFF directory entry, in host byte order once ReadEntry has converted it.
struct IfdEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t valueOffset;
};
static_assert(sizeof(IfdEntry) == 12, "an entry is read straight from the file");

// Out-of-line numbers are fetched into valueArea, and only when shorter than it.
constexpr uint32_t ValueAreaSize = 64;

// The COM class View carries this record unchanged; the reader's operations are its members.
// Every member starts as zero bytes apart from the two flags set to 1, and nothing but the
// reader's own rules changes them afterwards: stale bytes of scratch and valueArea are
// observable by design.
class ViewRecord {
public:
    // The platform outlives the record; each build's own table is assembled above the core.
    ViewRecord(Handle moduleInstance, const Platform& platform);

    // The walk: opens, finds the Exif block of a JPEG, TIFF, PNG, WebP or HEIF file, walks IFD0,
    // the Exif IFD and a Fujifilm maker note, and ends with exactly one reported message; true
    // exactly when that message was 305.
    bool ReadExif(const char* address);
    // The same walk, answering the id of the message it reported (300 to 305).
    TextId ReadAndReport(const char* address);
    // Reads the entry at the position; isCutShort tells whether the file ended inside it.
    bool ReadEntry(uint32_t base, bool* isCutShort = nullptr);
    void ReportMessage(TextId id);

    // Tag interpretation of the current entry into the slots.
    void InterpretEntry();
    void LoadEnumText(TextId baseId, uint16_t maxIndex, InfoSlot slot);

    // Image stream over the back end that isRemote selects at the moment of the call.
    bool Open(const char* address);
    bool ReadWord(void* destination, uint32_t size, uint32_t* delivered = nullptr);
    bool ReadDword(void* destination, uint32_t size, uint32_t* delivered = nullptr);
    bool ReadBytes(void* destination, uint32_t size, uint32_t* delivered = nullptr);
    bool Seek(int32_t distance, SeekOrigin origin);
    uint32_t Tell();
    void Close();

    // Loads a text of the module's string table into a 64-byte buffer (cut at 63 bytes).
    void LoadText(TextId id, char (&buffer)[SlotSize]);

    const Platform* platform;
    Handle moduleInstance;
    char slots[SlotCount][SlotSize];
    uint8_t isRemote;
    uint8_t isLittleEndian;
    Handle hSession;
    Handle hUrl;
    Handle hFile;
    char scratch[SlotSize];
    uint32_t exifIfdOffset;
    uint32_t makerNoteOffset;
    IfdEntry entry;
    uint8_t valueArea[ValueAreaSize];

private:
    bool Read(void* destination, uint32_t size, uint32_t* delivered);
};
