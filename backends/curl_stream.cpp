// The native remote back end: WinINet-like calls over libcurl, reading lazily by ranges.
//
// The walk reads a few hundred scattered bytes, mostly near the start of a picture but
// wherever its directories lie, so a URL handle fetches fixed blocks by range requests and
// keeps a few of them. A server that answers a range request with the whole body (status 200)
// is read once, up to a cap, and served from memory. Either way a picture moves at most about
// the cap over the network. The native build has no browser cache: the offline flag of a
// session has no meaning here, and every picture comes from its server.
//
// An archive is read by many threads, each picture after another from the same few hosts: a
// thread's easy handle outlives its picture, so the next picture the thread opens goes over
// the connection the last one left open, without a new handshake.
#include "backends/curl_stream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "backends/curl_block_cache.h"
#include "backends/curl_loader.h"
#include "backends/curl_retry.h"
#include "backends/curl_transfer.h"
#include "record/stream_position.h"

const CurlTimeouts DefaultCurlTimeouts = {10000, 20000, 60000, 4, 250, 8000};

namespace {

constexpr uint64_t PositionLimit = uint64_t{LargestPosition} + 1;

void InitialiseCurlOnce()
{
    // curl_global_init is not thread-safe itself; a function-local static runs it exactly once.
    static const CURLcode initialised = Curl().globalInit(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

struct EasyCleanup {
    void operator()(CURL* easy) const { Curl().easyCleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

// The easy handle, and with it the open connections, that this thread's last picture left.
thread_local EasyHandle spareEasy;

EasyHandle TakeEasy()
{
    if (!spareEasy)
        return EasyHandle(Curl().easyInit());
    EasyHandle easy = std::move(spareEasy);
    Curl().easyReset(easy.get());  // every option goes; the connections and caches stay
    return easy;
}

void GiveBackEasy(EasyHandle easy)
{
    if (easy && !spareEasy)
        spareEasy = std::move(easy);
}

struct Session {
    std::string agent;
    CurlTimeouts timeouts;
};

struct UrlStream {
    EasyHandle easy;
    CurlTimeouts waits{};
    uint64_t position = 0;
    uint64_t end = UnknownEnd;  // no byte at or after this offset exists, as far as is known
    bool isWholeBody = false;   // the server ignored ranges: body holds everything kept
    uint64_t moved = 0;         // body bytes this picture has taken off the network
    std::vector<uint8_t> body;
    BlockCache blocks;
};

// Every handle this back end gave out and has not closed. A handle is known by its address
// alone, so a foreign or stale one is never dereferenced, let alone freed.
struct OpenHandles {
    std::mutex lock;
    std::vector<std::unique_ptr<Session>> sessions;
    std::vector<std::unique_ptr<UrlStream>> urls;
};

OpenHandles& Handles()
{
    static OpenHandles handles;
    return handles;
}

template <typename T>
T* FindIn(const std::vector<std::unique_ptr<T>>& list, Handle handle)
{
    for (const auto& item : list)
        if (static_cast<Handle>(item.get()) == handle)
            return item.get();
    return nullptr;
}

template <typename T>
bool EraseFrom(std::vector<std::unique_ptr<T>>& list, Handle handle)
{
    auto found = std::find_if(list.begin(), list.end(),
                              [handle](const std::unique_ptr<T>& item) { return static_cast<Handle>(item.get()) == handle; });
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

Session* AsSession(Handle handle)
{
    std::lock_guard<std::mutex> guard(Handles().lock);
    return FindIn(Handles().sessions, handle);
}

UrlStream* AsUrl(Handle handle)
{
    std::lock_guard<std::mutex> guard(Handles().lock);
    return FindIn(Handles().urls, handle);
}

template <typename T>
Handle Keep(std::vector<std::unique_ptr<T>>& list, std::unique_ptr<T> item)
{
    std::lock_guard<std::mutex> guard(Handles().lock);
    list.push_back(std::move(item));
    return list.back().get();
}

// What is left of the picture's bound goes to the next request.
Transfer TransferFor(UrlStream& stream)
{
    Transfer transfer;
    transfer.easy = stream.easy.get();
    transfer.stallMilliseconds = stream.waits.stallMilliseconds;
    transfer.transferMilliseconds = stream.waits.transferMilliseconds;
    transfer.moveLimit = CurlBodyCap - std::min<uint64_t>(stream.moved, CurlBodyCap);
    return transfer;
}

void LearnEnd(UrlStream& stream, const Transfer& transfer)
{
    stream.end = std::min(stream.end, transfer.contentRangeTotal);
    if (transfer.kept.size() < transfer.keepLimit)
        stream.end = std::min(stream.end, transfer.keepFrom + transfer.kept.size());
}

// The cached block holding offset, fetched when missing; null when the fetch failed. A
// failed or short fetch ends the picture there, so a broken server costs one wait, not one
// per read.
const CachedBlock* FindBlock(UrlStream& stream, uint64_t offset)
{
    const uint64_t start = offset / CurlBlockSize * CurlBlockSize;
    if (const CachedBlock* block = stream.blocks.Find(start))
        return block;
    Transfer transfer = TransferFor(stream);
    const bool isKept =
        transfer.moveLimit > 0 && FetchPatiently(transfer, start, CurlBlockSize, true, stream.waits) == FetchOutcome::Kept;
    stream.moved += transfer.moved;
    if (!isKept) {
        stream.end = std::min(stream.end, start);
        return nullptr;
    }
    LearnEnd(stream, transfer);
    return &stream.blocks.Store(start, std::move(transfer.kept));
}

// The first block doubles as the test whether the picture can be had at all.
bool FetchFirstBlock(UrlStream& stream, const char* url)
{
    Transfer transfer = TransferFor(stream);
    transfer.limitIfWhole = CurlBodyCap;
    const bool askRange = strncmp(url, "gopher://", 9) != 0;
    const FetchOutcome outcome = FetchPatiently(transfer, 0, CurlBlockSize, askRange, stream.waits);
    stream.moved += transfer.moved;
    if (outcome != FetchOutcome::Kept)
        return false;
    if (transfer.isRanged) {
        LearnEnd(stream, transfer);
        stream.blocks.Store(0, std::move(transfer.kept));
        return true;
    }
    // Whatever the server sent in place of the range is all there is of the picture.
    stream.isWholeBody = true;
    stream.body = std::move(transfer.kept);
    stream.end = stream.body.size();
    return true;
}

// Up to size bytes from the stream's position on; stops where the picture (or what can be
// had of it) ends. False when a block could not be fetched.
bool CopyFromStream(UrlStream& stream, uint8_t* bytes, uint32_t size, uint32_t* count)
{
    while (*count < size) {
        const uint64_t at = stream.position + *count;
        if (at >= std::min(stream.end, PositionLimit))
            return true;
        const uint8_t* source = nullptr;
        uint64_t available = 0;
        if (stream.isWholeBody) {
            source = stream.body.data() + at;
            available = stream.body.size() - at;
        } else {
            const CachedBlock* block = FindBlock(stream, at);
            if (!block)
                return false;
            const uint64_t inBlock = at - block->start;
            if (inBlock >= block->bytes.size())
                return true;
            source = block->bytes.data() + inBlock;
            available = block->bytes.size() - inBlock;
        }
        const uint64_t wanted = std::min<uint64_t>({available, size - *count, PositionLimit - at});
        memcpy(bytes + *count, source, wanted);
        *count += static_cast<uint32_t>(wanted);
    }
    return true;
}

}  // namespace

Handle OpenCurlSession(const CurlTimeouts& timeouts, const char* agent, uint32_t)
{
    InitialiseCurlOnce();
    auto session = std::make_unique<Session>();
    session->agent = agent ? agent : "";
    session->timeouts = timeouts;
    return Keep(Handles().sessions, std::move(session));
}

Handle OpenCurlUrl(Handle sessionHandle, const char* url)
{
    Session* session = AsSession(sessionHandle);
    if (!session || !url)
        return nullptr;
    auto stream = std::make_unique<UrlStream>();
    // A URL keeps its own copy of what it took from its session, so either may close first.
    stream->waits = session->timeouts;
    stream->easy = TakeEasy();
    if (!stream->easy || !ConfigureEasy(stream->easy.get(), url, session->agent.c_str(),
                                        session->timeouts.connectMilliseconds) ||
        !FetchFirstBlock(*stream, url)) {
        GiveBackEasy(std::move(stream->easy));
        return nullptr;
    }
    return Keep(Handles().urls, std::move(stream));
}

bool ReadFromCurlUrl(Handle handle, void* destination, uint32_t size, uint32_t* delivered)
{
    if (delivered)
        *delivered = 0;
    UrlStream* stream = AsUrl(handle);
    if (!stream || (!destination && size > 0))
        return false;
    uint32_t count = 0;
    const bool isFine = CopyFromStream(*stream, static_cast<uint8_t*>(destination), size, &count);
    stream->position += count;
    if (delivered)
        *delivered = count;
    return isFine || count > 0;
}

uint32_t MoveInCurlUrl(Handle handle, int32_t distance, SeekOrigin origin)
{
    UrlStream* stream = AsUrl(handle);
    uint32_t target = 0;
    // Reads stop at 2 GiB, so the position always fits 32 bits.
    if (!stream || !MoveTarget(static_cast<uint32_t>(stream->position), distance, origin, &target))
        return InvalidPosition;
    stream->position = target;
    return target;
}

// A handle this back end did not give out, or closed already, is left alone.
void CloseCurlHandle(Handle handle)
{
    EasyHandle easy;
    {
        std::lock_guard<std::mutex> guard(Handles().lock);
        if (UrlStream* stream = FindIn(Handles().urls, handle))
            easy = std::move(stream->easy);
        if (!EraseFrom(Handles().urls, handle))
            EraseFrom(Handles().sessions, handle);
    }
    GiveBackEasy(std::move(easy));
}
