// libFuzzer target: InterpretEntry on arbitrary entries, buffers and slot texts, several entries
// per input, with what the interpreter may and may not change checked after every entry.
//
// Input, read from the front (missing bytes read as zero):
//   1 byte          number of slots to fill first (value % 42)
//   per filled slot slot index (% 41), text length (% 64), the text's bytes
//   per entry       flags (below), tag selector (2), type (2), count (1 or 4), valueOffset (4),
//                   then 64 scratch bytes and 64 valueArea bytes where the flags ask for them
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "record/byte_order.h"
#include "record/view_record.h"
#include "view/default_platform.h"

namespace {

[[noreturn]] void Violated(const char* condition, int line)
{
    std::fprintf(stderr, "interpret_entry_fuzz: invariant broken at line %d: %s\n", line, condition);
    __builtin_trap();
}

#define REQUIRE(condition) ((condition) ? (void)0 : Violated(#condition, __LINE__))

enum EntryFlag : uint8_t {
    BigEndian = 1 << 0,
    RawTag = 1 << 1,        // the selector is the tag itself, else an index into KnownTags
    NewScratch = 1 << 2,    // 64 bytes follow, unterminated as a fetch can leave them
    NewValueArea = 1 << 3,  // 64 bytes follow
    EmptyScratch = 1 << 4,  // first byte zero, as the walk leaves it before every entry
    SmallType = 1 << 5,     // the type is taken modulo 14: 0 to 13
    SmallCount = 1 << 6,    // one count byte, modulo 10
};

constexpr int NoSlot = -1;

// The tags of the interpreter and the one slot each may write, as the tag table lists them.
struct KnownTag {
    uint16_t tag;
    int slot;
};

constexpr KnownTag KnownTags[] = {
    {0x000B, SlotSoftware}, {0x010E, SlotDescription}, {0x010F, SlotMake}, {0x0110, SlotModel},
    {0x0131, SlotSoftware}, {0x0132, SlotModifyTime}, {0x013B, SlotArtist}, {0x8298, SlotCopyright},
    {0x8769, NoSlot}, {0x829A, SlotExposureTime}, {0x829D, SlotAperture}, {0x8822, SlotExposureMode},
    {0x8827, SlotIso}, {0x9000, SlotExifVersion}, {0x9003, SlotShotTime}, {0x9004, SlotShotTime},
    {0x9102, SlotCompression}, {0x9201, SlotExposureTime}, {0x9202, SlotAperture}, {0x9203, SlotBrightness},
    {0x9204, SlotExposureBias}, {0x9205, SlotMaxAperture}, {0x9206, SlotDistance}, {0x9207, SlotMetering},
    {0x9208, SlotWhiteBalance}, {0x9209, SlotFlash}, {0x920A, SlotFocalLength}, {0x927C, NoSlot},
    {0xA002, SlotImageSize}, {0xA003, SlotImageSize}, {0xA004, SlotSoundFile}, {0xA215, SlotIso},
    {0xA401, SlotMacro}, {0xA402, SlotExposureMode}, {0xA403, SlotWhiteBalance}, {0xA404, SlotDigitalZoom},
    {0xA405, SlotFocalLength35}, {0xA406, SlotExposureMode}, {0xA408, SlotContrast}, {0xA409, SlotSaturation},
    {0xA40A, SlotSharpness}, {0xA40C, SlotDistance}, {0x1000, SlotQuality}, {0x1001, SlotSharpness},
    {0x1002, SlotWhiteBalance}, {0x1003, SlotSaturation}, {0x1004, SlotContrast}, {0x1010, SlotFlash},
    {0x1011, SlotFlashStrength}, {0x1020, SlotMacro}, {0x1021, SlotFocusMode}, {0x1030, SlotFlash},
    {0x1031, SlotExposureMode}, {0x1100, SlotContinuous}, {0x1300, SlotBlurWarning}, {0x1301, SlotFocusWarning},
    {0x1302, SlotExposureWarning},
};
static_assert(sizeof KnownTags / sizeof KnownTags[0] == 57, "the interpreter knows 57 tags");

constexpr uint16_t TagExifIfdPointer = 0x8769;
constexpr uint16_t TagMakerNotePointer = 0x927C;

const KnownTag* FindKnown(uint16_t tag)
{
    for (const KnownTag& known : KnownTags) {
        if (known.tag == tag)
            return &known;
    }
    return nullptr;
}

class Cursor {
public:
    Cursor(const uint8_t* bytes, size_t length) : data(bytes), size(length), at(0) {}
    bool done() const { return at >= size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
    uint32_t Dword() { return Word() | static_cast<uint32_t>(Word()) << 16; }
    void Bytes(void* destination, size_t count)
    {
        uint8_t* out = static_cast<uint8_t*>(destination);
        for (size_t i = 0; i < count; ++i)
            out[i] = Byte();
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at;
};

bool IsTerminated(const char (&text)[SlotSize]) { return std::memchr(text, 0, SlotSize) != nullptr; }

// The rational of a single big-endian RATIONAL or SRATIONAL is turned in place, word by word.
bool TurnsValueArea(const IfdEntry& entry, bool littleEndian)
{
    return !littleEndian && entry.count == 1 && (entry.type == 5 || entry.type == 10);
}

void InterpretOne(ViewRecord& view, Cursor& in)
{
    uint8_t flags = in.Byte();
    uint16_t selector = in.Word();
    IfdEntry entry;
    entry.tag = (flags & RawTag) ? selector : KnownTags[selector % (sizeof KnownTags / sizeof KnownTags[0])].tag;
    entry.type = in.Word();
    if (flags & SmallType)
        entry.type = static_cast<uint16_t>(entry.type % 14);
    entry.count = (flags & SmallCount) ? in.Byte() % 10u : in.Dword();
    entry.valueOffset = in.Dword();
    if (flags & NewScratch)
        in.Bytes(view.scratch, SlotSize);
    if (flags & EmptyScratch)
        view.scratch[0] = 0;
    if (flags & NewValueArea)
        in.Bytes(view.valueArea, sizeof view.valueArea);
    view.entry = entry;
    view.isLittleEndian = (flags & BigEndian) ? 0 : 1;

    char slotsBefore[SlotCount][SlotSize];
    std::memcpy(slotsBefore, view.slots, sizeof slotsBefore);
    uint8_t areaBefore[sizeof view.valueArea];
    std::memcpy(areaBefore, view.valueArea, sizeof areaBefore);
    uint32_t exifBefore = view.exifIfdOffset, makerNoteBefore = view.makerNoteOffset;

    view.InterpretEntry();

    for (const SlotBuffer& slot : view.slots)
        REQUIRE(IsTerminated(slot));
    REQUIRE(view.entry.tag == entry.tag && view.entry.type == entry.type && view.entry.count == entry.count);
    REQUIRE(view.isLittleEndian == ((flags & BigEndian) ? 0 : 1));

    const KnownTag* known = FindKnown(entry.tag);
    for (int slot = 0; slot < SlotCount; ++slot) {
        bool changed = std::memcmp(slotsBefore[slot], view.slots[slot], SlotSize) != 0;
        REQUIRE(!changed || (known && known->slot == slot));
    }
    REQUIRE(view.exifIfdOffset == (entry.tag == TagExifIfdPointer ? view.entry.valueOffset : exifBefore));
    REQUIRE(view.makerNoteOffset == (entry.tag == TagMakerNotePointer ? view.entry.valueOffset : makerNoteBefore));

    // Only the first rational may change, and only by the byte-order turn.
    uint8_t expected[sizeof areaBefore];
    std::memcpy(expected, areaBefore, sizeof expected);
    if (TurnsValueArea(entry, (flags & BigEndian) == 0)) {
        for (int word = 0; word < 2; ++word) {
            uint32_t value;
            std::memcpy(&value, expected + 4 * word, 4);
            Swap32(value);
            std::memcpy(expected + 4 * word, &value, 4);
        }
    }
    REQUIRE(std::memcmp(expected, view.valueArea, sizeof expected) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Cursor in(data, size);
    ViewRecord view(nullptr, DefaultPlatform());
    int filled = in.Byte() % (SlotCount + 1);
    for (int i = 0; i < filled; ++i) {
        SlotBuffer& slot = view.slots[in.Byte() % SlotCount];
        size_t length = in.Byte() % SlotSize;
        in.Bytes(slot, length);
        slot[length] = 0;
    }
    for (int entries = 0; entries < 512 && !in.done(); ++entries)
        InterpretOne(view, in);
    return 0;
}
