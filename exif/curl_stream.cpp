// The native remote back end: WinINet-like calls over libcurl, reading lazily by ranges.
//
// The walk reads a few hundred scattered bytes near the start of a picture, so a URL handle
// fetches fixed blocks by range requests and keeps a few of them. A server that answers a
// range request with the whole body (status 200) is read once, up to a cap, and served from
// memory. The native build has no browser cache: the offline flag of a session has no
// meaning here, and every picture comes from its server.
#include "exif/curl_stream.h"

#include "exif/curl_loader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "exif/native_backends.h"

namespace {

constexpr uint64_t UnknownEnd = UINT64_MAX;
constexpr uint64_t PositionLimit = 0x80000000u;  // positions of 2 GiB and more are failures
constexpr long MaximumRedirects = 10;

std::atomic<uint32_t> connectSetting{CurlDefaultConnectMilliseconds};
std::atomic<uint32_t> stallSetting{CurlDefaultStallMilliseconds};

void InitialiseCurlOnce()
{
    // curl_global_init is not thread-safe itself; a function-local static runs it exactly once.
    static const CURLcode initialised = Curl().globalInit(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

enum class HandleKind : uint32_t { Session = 0x53455353, Url = 0x55524C20 };

struct CurlHandle {
    explicit CurlHandle(HandleKind k) : kind(k) {}
    virtual ~CurlHandle() = default;
    HandleKind kind;
};

struct Session : CurlHandle {
    Session() : CurlHandle(HandleKind::Session) {}
    std::string agent;
    long connectMilliseconds = CurlDefaultConnectMilliseconds;
    long stallMilliseconds = CurlDefaultStallMilliseconds;
};

struct Block {
    bool isValid = false;
    uint64_t start = 0;
    uint64_t lastUse = 0;
    std::vector<uint8_t> bytes;
};

struct UrlStream : CurlHandle {
    UrlStream() : CurlHandle(HandleKind::Url) {}
    ~UrlStream() override
    {
        if (easy)
            Curl().easyCleanup(easy);
    }
    CURL* easy = nullptr;
    long stallMilliseconds = CurlDefaultStallMilliseconds;
    uint64_t position = 0;
    uint64_t end = UnknownEnd;  // no byte at or after this offset exists, as far as is known
    bool isWholeBody = false;   // the server ignored ranges: body holds everything kept
    std::vector<uint8_t> body;
    Block blocks[CurlCachedBlocks];
    uint64_t useCounter = 0;
};

// One request: which picture bytes to keep, and what the answer turned out to be.
struct Transfer {
    UrlStream* stream = nullptr;
    uint64_t keepFrom = 0;
    uint64_t keepLimit = 0;
    bool askedRange = false;
    uint64_t limitIfWhole = 0;  // when not 0: keep this much if the answer is the whole body
    std::vector<uint8_t> kept;

    bool isDecided = false;
    bool isRanged = false;       // the data arriving starts at keepFrom, not at 0
    bool isRejected = false;     // an HTTP status of 400 or more
    bool stoppedOnPurpose = false;
    uint64_t arrivingOffset = 0;  // picture offset of the next byte that arrives
    uint64_t contentRangeTotal = UnknownEnd;

    curl_off_t lastCount = -1;
    std::chrono::steady_clock::time_point lastProgress;
};

bool IsHttpScheme(const char* scheme)
{
    return scheme && (strncmp(scheme, "HTTP", 4) == 0 || strncmp(scheme, "http", 4) == 0);
}

bool IsFtpScheme(const char* scheme)
{
    return scheme && (strncmp(scheme, "FTP", 3) == 0 || strncmp(scheme, "ftp", 3) == 0);
}

// Where the arriving data starts is known only once the answer's status is.
void Decide(Transfer& transfer)
{
    transfer.isDecided = true;
    long status = 0;
    const char* scheme = nullptr;
    Curl().easyGetinfo(transfer.stream->easy, CURLINFO_RESPONSE_CODE, &status);
    Curl().easyGetinfo(transfer.stream->easy, CURLINFO_SCHEME, &scheme);
    if (IsHttpScheme(scheme)) {
        transfer.isRejected = status >= 400;
        transfer.isRanged = transfer.askedRange && status == 206;
    } else {
        // libcurl itself starts an FTP download at the range; gopher gets no range at all.
        transfer.isRanged = transfer.askedRange && IsFtpScheme(scheme);
    }
    transfer.arrivingOffset = transfer.isRanged ? transfer.keepFrom : 0;
    if (!transfer.isRanged && transfer.limitIfWhole)
        transfer.keepLimit = transfer.limitIfWhole;
}

size_t WriteBody(char* data, size_t size, size_t count, void* context)
{
    Transfer& transfer = *static_cast<Transfer*>(context);
    const size_t length = size * count;
    if (!transfer.isDecided)
        Decide(transfer);
    if (transfer.isRejected)
        return 0;
    const uint64_t keepEnd = transfer.keepFrom + transfer.keepLimit;
    const uint64_t first = std::max(transfer.arrivingOffset, transfer.keepFrom);
    const uint64_t last = std::min(transfer.arrivingOffset + length, keepEnd);
    if (first < last) {
        const char* from = data + (first - transfer.arrivingOffset);
        transfer.kept.insert(transfer.kept.end(), from, from + (last - first));
    }
    transfer.arrivingOffset += length;
    // A ranged answer ends by itself, and keeps its connection; a whole body is cut off.
    if (!transfer.isRanged && transfer.arrivingOffset >= keepEnd) {
        transfer.stoppedOnPurpose = true;
        return 0;
    }
    return length;
}

// "Content-Range: bytes 0-32767/20971520" gives the picture's length; "*" leaves it unknown.
size_t ReadHeader(char* data, size_t size, size_t count, void* context)
{
    Transfer& transfer = *static_cast<Transfer*>(context);
    const size_t length = size * count;
    const std::string line(data, length);
    if (line.compare(0, 5, "HTTP/") == 0) {
        transfer.contentRangeTotal = UnknownEnd;  // a new answer after a redirect
        return length;
    }
    static const char name[] = "content-range:";
    if (line.size() < sizeof name - 1)
        return length;
    for (size_t i = 0; i + 1 < sizeof name; ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != name[i])
            return length;
    }
    const size_t slash = line.find('/');
    if (slash == std::string::npos || slash + 1 >= line.size())
        return length;
    uint64_t total = 0;
    size_t digits = 0;
    for (size_t i = slash + 1; i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 19;
         ++i, ++digits)
        total = total * 10 + static_cast<uint64_t>(line[i] - '0');
    if (digits > 0)
        transfer.contentRangeTotal = total;
    return length;
}

// A transfer that makes no progress for the stall time is given up.
int WatchProgress(void* context, curl_off_t, curl_off_t received, curl_off_t, curl_off_t)
{
    Transfer& transfer = *static_cast<Transfer*>(context);
    const auto now = std::chrono::steady_clock::now();
    if (received != transfer.lastCount) {
        transfer.lastCount = received;
        transfer.lastProgress = now;
        return 0;
    }
    const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - transfer.lastProgress);
    return idle.count() > transfer.stream->stallMilliseconds ? 1 : 0;
}

enum class Outcome { Kept, Rejected, Failed };

// Runs one request for the bytes [from, from + limit); a range is asked for when ranged.
Outcome Fetch(Transfer& transfer, uint64_t from, uint64_t limit, bool ranged)
{
    UrlStream& stream = *transfer.stream;
    transfer.keepFrom = from;
    transfer.keepLimit = limit;
    transfer.askedRange = ranged;
    transfer.lastProgress = std::chrono::steady_clock::now();

    std::string range;
    if (ranged)
        range = std::to_string(from) + "-" + std::to_string(from + limit - 1);
    Curl().easySetopt(stream.easy, CURLOPT_RANGE, ranged ? range.c_str() : nullptr);
    Curl().easySetopt(stream.easy, CURLOPT_WRITEDATA, &transfer);
    Curl().easySetopt(stream.easy, CURLOPT_HEADERDATA, &transfer);
    Curl().easySetopt(stream.easy, CURLOPT_XFERINFODATA, &transfer);
    const CURLcode result = Curl().easyPerform(stream.easy);

    long status = 0;
    const char* scheme = nullptr;
    Curl().easyGetinfo(stream.easy, CURLINFO_RESPONSE_CODE, &status);
    Curl().easyGetinfo(stream.easy, CURLINFO_SCHEME, &scheme);
    if (IsHttpScheme(scheme) && status >= 400)
        transfer.isRejected = true;
    if (transfer.isRejected)
        return Outcome::Rejected;
    const bool isComplete = result == CURLE_OK || (result == CURLE_WRITE_ERROR && transfer.stoppedOnPurpose);
    // A connection that broke off still leaves the bytes that arrived before it did.
    if (!isComplete && transfer.kept.empty())
        return Outcome::Failed;
    return Outcome::Kept;
}

bool Configure(UrlStream& stream, const Session& session, const char* url)
{
    CURL* easy = stream.easy;
    bool ok = Curl().easySetopt(easy, CURLOPT_URL, url) == CURLE_OK;
    ok = ok && Curl().easySetopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp,gopher") == CURLE_OK;
    // Never on to local files or other protocols: a server decides where a redirect goes.
    ok = ok && Curl().easySetopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp") == CURLE_OK;
    Curl().easySetopt(easy, CURLOPT_USERAGENT, session.agent.c_str());
    Curl().easySetopt(easy, CURLOPT_NOSIGNAL, 1L);
    Curl().easySetopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    Curl().easySetopt(easy, CURLOPT_MAXREDIRS, MaximumRedirects);
    Curl().easySetopt(easy, CURLOPT_CONNECTTIMEOUT_MS, session.connectMilliseconds);
    Curl().easySetopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
    Curl().easySetopt(easy, CURLOPT_HEADERFUNCTION, ReadHeader);
    Curl().easySetopt(easy, CURLOPT_XFERINFOFUNCTION, WatchProgress);
    Curl().easySetopt(easy, CURLOPT_NOPROGRESS, 0L);
    return ok;
}

Session* AsSession(Handle handle)
{
    auto* base = static_cast<CurlHandle*>(handle);
    return base && base->kind == HandleKind::Session ? static_cast<Session*>(base) : nullptr;
}

UrlStream* AsUrl(Handle handle)
{
    auto* base = static_cast<CurlHandle*>(handle);
    return base && base->kind == HandleKind::Url ? static_cast<UrlStream*>(base) : nullptr;
}

void LearnEnd(UrlStream& stream, const Transfer& transfer)
{
    stream.end = std::min(stream.end, transfer.contentRangeTotal);
    if (transfer.kept.size() < transfer.keepLimit)
        stream.end = std::min(stream.end, transfer.keepFrom + transfer.kept.size());
}

Block& StoreBlock(UrlStream& stream, uint64_t start, std::vector<uint8_t>&& bytes)
{
    // An empty place first, else the block used longest ago.
    Block* slot = &stream.blocks[0];
    for (Block& block : stream.blocks) {
        if (!block.isValid) {
            slot = &block;
            break;
        }
        if (block.lastUse < slot->lastUse)
            slot = &block;
    }
    slot->isValid = true;
    slot->start = start;
    slot->lastUse = ++stream.useCounter;
    slot->bytes = std::move(bytes);
    return *slot;
}

// The cached block holding offset, fetched when missing; null when the fetch failed. A
// failed or short fetch ends the picture there, so a broken server costs one wait, not one
// per read.
const Block* FindBlock(UrlStream& stream, uint64_t offset)
{
    const uint64_t start = offset / CurlBlockSize * CurlBlockSize;
    for (Block& block : stream.blocks)
        if (block.isValid && block.start == start) {
            block.lastUse = ++stream.useCounter;
            return &block;
        }
    Transfer transfer;
    transfer.stream = &stream;
    // A server that turns to whole answers would send everything up to here; past the cap, no.
    if (start >= CurlBodyCap) {
        stream.end = std::min(stream.end, start);
        return nullptr;
    }
    if (Fetch(transfer, start, CurlBlockSize, true) != Outcome::Kept) {
        stream.end = std::min(stream.end, start);
        return nullptr;
    }
    LearnEnd(stream, transfer);
    return &StoreBlock(stream, start, std::move(transfer.kept));
}

Handle OpenSession(const char* agent, uint32_t)
{
    InitialiseCurlOnce();
    auto* session = new Session;
    session->agent = agent ? agent : "";
    session->connectMilliseconds = connectSetting.load();
    session->stallMilliseconds = stallSetting.load();
    return session;
}

Handle OpenUrl(Handle sessionHandle, const char* url)
{
    Session* session = AsSession(sessionHandle);
    if (!session || !url)
        return nullptr;
    auto* stream = new UrlStream;
    stream->stallMilliseconds = session->stallMilliseconds;
    stream->easy = Curl().easyInit();
    if (!stream->easy || !Configure(*stream, *session, url)) {
        delete stream;
        return nullptr;
    }
    // The first block doubles as the test whether the picture can be had at all.
    Transfer transfer;
    transfer.stream = stream;
    transfer.limitIfWhole = CurlBodyCap;
    const bool askRange = strncmp(url, "gopher://", 9) != 0;
    if (Fetch(transfer, 0, CurlBlockSize, askRange) != Outcome::Kept) {
        delete stream;
        return nullptr;
    }
    if (transfer.isRanged) {
        LearnEnd(*stream, transfer);
        StoreBlock(*stream, 0, std::move(transfer.kept));
        return stream;
    }
    // Whatever the server sent in place of the range is all there is of the picture.
    stream->isWholeBody = true;
    stream->body = std::move(transfer.kept);
    stream->end = stream->body.size();
    return stream;
}

bool Read(Handle handle, void* destination, uint32_t size, uint32_t* delivered)
{
    uint32_t count = 0;
    if (delivered)
        *delivered = 0;
    UrlStream* stream = AsUrl(handle);
    if (!stream || (!destination && size > 0))
        return false;
    auto* bytes = static_cast<uint8_t*>(destination);
    bool isFine = true;
    while (count < size) {
        const uint64_t at = stream->position + count;
        if (at >= std::min(stream->end, PositionLimit))
            break;
        const uint8_t* source = nullptr;
        uint64_t available = 0;
        if (stream->isWholeBody) {
            source = stream->body.data() + at;
            available = stream->body.size() - at;
        } else {
            const Block* block = FindBlock(*stream, at);
            if (!block) {
                isFine = false;
                break;
            }
            const uint64_t inBlock = at - block->start;
            if (inBlock >= block->bytes.size())
                break;
            source = block->bytes.data() + inBlock;
            available = block->bytes.size() - inBlock;
        }
        const uint64_t wanted = std::min<uint64_t>({available, size - count, PositionLimit - at});
        memcpy(bytes + count, source, wanted);
        count += static_cast<uint32_t>(wanted);
    }
    stream->position += count;
    if (delivered)
        *delivered = count;
    return isFine || count > 0;
}

uint32_t Move(Handle handle, int32_t distance, SeekOrigin origin)
{
    UrlStream* stream = AsUrl(handle);
    if (!stream || (origin != FromBeginning && origin != FromCurrent))
        return InvalidPosition;
    const int64_t base = origin == FromBeginning ? 0 : static_cast<int64_t>(stream->position);
    const int64_t target = base + distance;
    if (target < 0 || target >= static_cast<int64_t>(PositionLimit))
        return InvalidPosition;
    stream->position = static_cast<uint64_t>(target);
    return static_cast<uint32_t>(target);
}

// A URL keeps its own copy of what it took from its session, so either may go first.
void Close(Handle handle) { delete static_cast<CurlHandle*>(handle); }

}  // namespace

void SetCurlTimeoutsForTests(uint32_t connectMilliseconds, uint32_t stallMilliseconds)
{
    connectSetting = connectMilliseconds ? connectMilliseconds : CurlDefaultConnectMilliseconds;
    stallSetting = stallMilliseconds ? stallMilliseconds : CurlDefaultStallMilliseconds;
}

const InternetCalls& CurlInternetCalls()
{
    static const InternetCalls calls = {OpenSession, OpenUrl, Read, Move, Close};
    return calls;
}
