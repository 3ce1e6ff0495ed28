// libFuzzer target: the address rules and the whole walk over the in-memory back end, with the
// address form, injected faults and the record's earlier state chosen by the input, and the
// invariants that every reading keeps checked after each run.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/thread_error.h"
#include "support/memory_stream.h"
#include "record/view_record.h"
#include "fuzz/read_exif_input.h"
#include "support/address_model.h"
#include "view/classify_address.h"
#include "view/default_platform.h"

namespace {

using namespace read_exif_input;

[[noreturn]] void Violated(const char* condition, int line)
{
    std::fprintf(stderr, "read_exif_fuzz: invariant broken at line %d: %s\n", line, condition);
    __builtin_trap();
}

#define REQUIRE(condition) ((condition) ? (void)0 : Violated(#condition, __LINE__))

// Bytes that the address rules treat specially, so fillers mix slashes and escapes.
constexpr char FillerAlphabet[] = "/%20%2Fa.jpg\\ :%%2Z/\x80\xff";

std::string Filler(size_t length, uint8_t seed)
{
    std::string out(length, ' ');
    for (size_t i = 0; i < length; ++i)
        out[i] = FillerAlphabet[(i * 7 + seed) % (sizeof FillerAlphabet - 1)];
    return out;
}

std::string PictureText(const uint8_t* picture, size_t size, size_t length)
{
    size_t taken = length < size ? length : size;
    std::string out(reinterpret_cast<const char*>(picture), taken);
    return out.substr(0, out.find('\0'));
}

// The address text of the input's form; false for the null address.
bool MakeAddress(const uint8_t* control, const uint8_t* picture, size_t size, std::string& address)
{
    uint8_t length = control[4];
    std::string filler = Filler(length, length);
    switch (static_cast<AddressForm>(control[0] & 0x0F)) {
    case LocalPicture: address = "file:///pictures/a%20b.jpg" + filler; break;
    case LocalFiller: address = "file:///" + filler; break;
    case HttpFiller: address = "http://" + filler; break;
    case FtpFiller: address = "ftp://" + filler; break;
    case GopherFiller: address = "gopher://" + filler; break;
    case HttpsFiller: address = "https://" + filler; break;
    case UpperHttpFiller: address = "HTTP://" + filler; break;
    case UpperFileFiller: address = "File:///" + filler; break;
    case TwoSlashFiller: address = "file://" + filler; break;
    case NullAddress: return false;
    case EmptyAddress: address.clear(); break;
    case FillerAlone: address = filler; break;
    case LongLocal: address = "file:///" + Filler(size_t{64} * length, length); break;
    case PictureBytes: address = PictureText(picture, size, length); break;
    case LocalPictureBytes: address = "file:///" + PictureText(picture, size, length); break;
    case HttpPictureBytes: address = "http://" + PictureText(picture, size, length); break;
    }
    return true;
}

const std::string& MessageText(TextId id)
{
    static std::string texts[MessageOk - MessageBadAddress + 1];
    std::string& text = texts[id - MessageBadAddress];
    if (text.empty()) {
        char buffer[SlotSize] = {};
        DefaultPlatform().loadText(nullptr, id, buffer, SlotSize);
        text = buffer;
    }
    return text;
}

// The message whose text the back end recorded, or 0 when it is none of the walk's.
TextId ReportedMessage(const MemoryStream& stream)
{
    for (TextId id = MessageBadAddress; id <= MessageOk; ++id) {
        if (MessageText(id) == stream.lastReport())
            return id;
    }
    return 0;
}

// Whether the first bytes are those of a JPEG or of one of the other containers; only those
// files can end with anything but 301 or 302.
bool StartsLikeAPicture(const uint8_t* p, size_t size)
{
    auto starts = [&](const char* text, size_t at, size_t length) {
        return size >= at + length && std::memcmp(p + at, text, length) == 0;
    };
    return starts("\xFF\xD8", 0, 2) || starts("II*\0", 0, 4) || starts("MM\0*", 0, 4) ||
           starts("\x89PNG\r\n\x1A\n", 0, 8) || (starts("RIFF", 0, 4) && starts("WEBP", 8, 4)) ||
           (starts("\0\0", 0, 2) && starts("ftyp", 4, 4)) || starts("IIRO", 0, 4) || starts("MMOR", 0, 4) ||
           starts("IIRS", 0, 4) || starts("IISR", 0, 4) || starts("IIU\0", 0, 4) || starts("\0MRM", 0, 4) ||
           starts("FUJIFILMCCD-RAW ", 0, 16);
}

// What the brands of a file type box held whole in the input decide, where they surely decide:
// a picture's major brand is read (No: not 302), a box of movie brands alone is refused (Yes:
// 302); any other mix is left to the reader.
enum class Refusal { No, Yes, Either };

Refusal BrandRefusal(const uint8_t* p, size_t size)
{
    auto isOneOf = [](const uint8_t* brand, std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (std::memcmp(brand, name, 4) == 0)
                return true;
        return false;
    };
    const size_t boxSize = size < 8 ? 0 : size_t{p[0]} << 24 | size_t{p[1]} << 16 | size_t{p[2]} << 8 | p[3];
    if (boxSize < 16 || boxSize > size)
        return Refusal::Either;
    if (isOneOf(p + 8, {"heic", "mif1", "avif", "crx "}))
        return Refusal::No;
    for (size_t at = 8; at + 4 <= boxSize; at += 4)
        if (at != 12 && !isOneOf(p + at, {"isom", "mp41", "mp42", "qt  "}))
            return Refusal::Either;
    return Refusal::Yes;
}

bool IsTerminated(const char (&text)[SlotSize]) { return std::memchr(text, 0, SlotSize) != nullptr; }

void CheckRecord(const ViewRecord& view, const MemoryStream& stream, size_t size)
{
    for (const SlotBuffer& slot : view.slots)
        REQUIRE(IsTerminated(slot));
    REQUIRE(IsTerminated(view.scratch));
    REQUIRE(view.isRemote <= 1);
    REQUIRE(view.isLittleEndian <= 1);
    REQUIRE(stream.OpenHandles() == 0);
    REQUIRE(stream.counters().badHandles == 0);
    // Three directories of at most 65535 entries; an entry costs at most two reads and three moves.
    // Before them, no box, chunk or item entry costs more calls than it has bytes.
    REQUIRE(stream.CallCount() <= 3u * 65535u * 5u + 64u + size);
    char description[SlotSize];
    REQUIRE(GetThreadErrorInfo(description, nullptr));
    REQUIRE(std::strcmp(description, stream.lastReport()) == 0);
}

void CheckRefusal(const ViewRecord& view, const MemoryStream& stream, uint8_t remoteBefore)
{
    REQUIRE(stream.counters().reports == 1);
    REQUIRE(ReportedMessage(stream) == MessageBadAddress);
    REQUIRE(view.isRemote == remoteBefore);
    REQUIRE(stream.CallCount() == 0);  // nothing was open, so the report's close calls nothing
}

void CheckWalk(const ViewRecord& view, const MemoryStream& stream, const uint8_t* control, bool local, bool ok,
               const uint8_t* picture, size_t size)
{
    const MemoryStream::Counters& counts = stream.counters();
    REQUIRE(counts.reports == 1);
    TextId reported = ReportedMessage(stream);
    REQUIRE(reported >= MessageCannotRead && reported <= MessageOk);
    REQUIRE(ok == (reported == MessageOk));
    REQUIRE(std::strcmp(view.scratch, stream.lastReport()) == 0);  // the walk ends on the text
    bool openFails;
    if (local) {
        REQUIRE(counts.fileOpens == 1 && counts.sessionOpens == 0 && counts.urlOpens == 0);
        openFails = (control[1] & FailFileOpen) != 0;
    } else {
        REQUIRE(counts.fileOpens == 0 && counts.sessionOpens >= 1 && counts.sessionOpens <= 2);
        openFails = (control[1] & FailUrlOpen) || ((control[1] & FailOfflineSession) && (control[1] & FailPlainSession));
    }
    if (openFails || size == 0)
        REQUIRE(reported == MessageCannotRead);
    bool faultFree = control[2] == 0 && control[3] == 0;
    if (!openFails && faultFree && size >= 2 && !StartsLikeAPicture(picture, size))
        REQUIRE(reported == MessageNotJpeg);
    const bool isBoxes = size >= 8 && std::memcmp(picture + 4, "ftyp", 4) == 0;
    const Refusal refusal = isBoxes ? BrandRefusal(picture, size) : Refusal::No;
    if (!openFails && faultFree && StartsLikeAPicture(picture, size) && refusal != Refusal::Either)
        REQUIRE((reported == MessageNotJpeg) == (refusal == Refusal::Yes));
}

void ReadOnce(ViewRecord& view, MemoryStream& stream, const uint8_t* control, const uint8_t* picture, size_t size)
{
    std::string text;
    bool isNull = !MakeAddress(control, picture, size, text);
    // Exactly as long as the text, so a read or write past it is caught.
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back(0);
    char* address = isNull ? nullptr : buffer.data();

    uint8_t remoteBefore = view.isRemote;
    bool accepted = ClassifyAddress(view, address);
    REQUIRE(accepted == (!isNull && IsAcceptableAddress(text)));
    if (!accepted) {
        REQUIRE(isNull || text == address);
        CheckRefusal(view, stream, remoteBefore);
        CheckRecord(view, stream, size);
        return;
    }
    REQUIRE(stream.counters().reports == 0);
    bool local = text.compare(0, 8, "file:///") == 0;
    REQUIRE(view.isRemote == (local ? 0 : 1));
    std::string handed = address;
    REQUIRE(handed == RewrittenAddress(text));
    REQUIRE(handed.size() <= text.size());

    bool ok = view.ReadExif(address);
    REQUIRE(handed == address);
    if (local)
        REQUIRE(handed.compare(0, MemoryStream::TextCapacity - 1, stream.lastPath()) == 0);
    CheckWalk(view, stream, control, local, ok, picture, size);
    CheckRecord(view, stream, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t control[ControlSize] = {};
    size_t controlSize = size < ControlSize ? size : ControlSize;
    if (controlSize)
        std::memcpy(control, data, controlSize);
    const uint8_t* picture = data + controlSize;
    size_t pictureSize = size - controlSize;

    // One stream for the process: its buffers are large, and Reset gives each run a fresh start.
    static MemoryStream stream(nullptr, 0);
    stream.Reset(picture, pictureSize);
    stream.faults.failFileOpen = (control[1] & FailFileOpen) != 0;
    stream.faults.failOfflineSession = (control[1] & FailOfflineSession) != 0;
    stream.faults.failPlainSession = (control[1] & FailPlainSession) != 0;
    stream.faults.failUrlOpen = (control[1] & FailUrlOpen) != 0;
    stream.faults.failMoveNumber = control[2];
    stream.faults.failReadNumber = control[3];

    ViewRecord view(nullptr, MemoryStream::platform());
    if (control[1] & StartLocal)
        view.isRemote = 0;
    if (control[1] & StartBigEndian)
        view.isLittleEndian = 0;
    if (control[1] & PrefillSlots) {
        size_t length = SlotSize - 1 - control[4] % SlotSize;
        for (SlotBuffer& slot : view.slots) {
            std::memset(slot, 'P', length);
            slot[length] = 0;
        }
    }

    int rounds = (control[1] & ReadTwice) ? 2 : 1;
    for (int round = 0; round < rounds; ++round) {
        if (round > 0)
            stream.Reset(picture, pictureSize);  // faults stay, counts start again
        ReadOnce(view, stream, control, picture, pictureSize);
    }
    stream.Reset(nullptr, 0);  // libFuzzer frees the input after the call
    return 0;
}
