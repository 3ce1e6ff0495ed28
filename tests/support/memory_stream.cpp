// The in-memory back end: Win32 file semantics over a byte buffer, with counters and faults.
#include "support/memory_stream.h"

#include "record/stream_position.h"
#include "view/default_platform.h"

#include <cstring>

namespace {

thread_local MemoryStream* activeStream = nullptr;

void CopyText(char (&destination)[MemoryStream::TextCapacity], const char* source)
{
    size_t length = source ? strnlen(source, sizeof destination - 1) : 0;
    if (length)
        std::memcpy(destination, source, length);
    destination[length] = 0;
}

uint32_t CountedLength(size_t length)
{
    return length > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(length);
}

}  // namespace

struct MemoryStream::Calls {
    static Handle FileOpen(const char* filePath)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return InvalidHandle();
        ++stream->counts.fileOpens;
        CopyText(stream->path, filePath);
        Record* record = stream->faults.failFileOpen ? nullptr : stream->Claim(Kind::File);
        stream->Log(Call::FileOpen, record, 0, 0, FromBeginning, 0, record != nullptr);
        return record ? static_cast<Handle>(record) : InvalidHandle();
    }

    static bool FileRead(Handle file, void* destination, uint32_t size, uint32_t* delivered)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return false;
        ++stream->counts.fileReads;
        return stream->Read(stream->Find(file, Kind::File), Call::FileRead, destination, size, delivered);
    }

    static uint32_t FileMove(Handle file, int32_t distance, SeekOrigin origin)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return InvalidPosition;
        ++stream->counts.fileMoves;
        return stream->Move(stream->Find(file, Kind::File), Call::FileMove, distance, origin);
    }

    static void FileClose(Handle file)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return;
        ++stream->counts.fileCloses;
        Record* record = stream->Find(file, Kind::File);
        stream->Log(Call::FileClose, file, record ? record->position : 0, 0, FromBeginning, 0, record != nullptr);
        if (record)
            record->isOpen = false;
    }

    static Handle SessionOpen(const char* agentName, uint32_t flags)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return nullptr;
        ++stream->counts.sessionOpens;
        CopyText(stream->agent, agentName);
        stream->sessionFlags = flags;
        bool refused = (flags & InternetFlagOffline) ? stream->faults.failOfflineSession : stream->faults.failPlainSession;
        Record* record = refused ? nullptr : stream->Claim(Kind::Session);
        stream->Log(Call::SessionOpen, record, 0, 0, FromBeginning, flags, record != nullptr);
        return record;
    }

    static Handle UrlOpen(Handle session, const char* address)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return nullptr;
        ++stream->counts.urlOpens;
        CopyText(stream->url, address);
        Record* record = nullptr;
        if (stream->Find(session, Kind::Session) && !stream->faults.failUrlOpen)
            record = stream->Claim(Kind::Url);
        stream->Log(Call::UrlOpen, record, 0, 0, FromBeginning, 0, record != nullptr);
        return record;
    }

    static bool UrlRead(Handle handle, void* destination, uint32_t size, uint32_t* delivered)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return false;
        ++stream->counts.urlReads;
        return stream->Read(stream->Find(handle, Kind::Url), Call::UrlRead, destination, size, delivered);
    }

    static uint32_t UrlMove(Handle handle, int32_t distance, SeekOrigin origin)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return InvalidPosition;
        ++stream->counts.urlMoves;
        return stream->Move(stream->Find(handle, Kind::Url), Call::UrlMove, distance, origin);
    }

    static void InternetClose(Handle handle)
    {
        MemoryStream* stream = activeStream;
        if (!stream)
            return;
        ++stream->counts.internetCloses;
        Record* record = stream->FindAny(handle);
        if (record && record->kind == Kind::File)
            record = nullptr;  // a file handle is not an internet handle
        if (!record)
            ++stream->counts.badHandles;
        stream->Log(Call::InternetClose, handle, record ? record->position : 0, 0, FromBeginning, 0, record != nullptr);
        if (record)
            record->isOpen = false;
    }

    static int LoadText(Handle module, TextId id, char* buffer, int size)
    {
        return DefaultPlatform().loadText(module, id, buffer, size);
    }

    static void SetErrorInfo(const char* text)
    {
        if (MemoryStream* stream = activeStream) {
            ++stream->counts.reports;
            CopyText(stream->report, text);
        }
        DefaultPlatform().setErrorInfo(text);
    }
};

MemoryStream::MemoryStream(const void* data, size_t dataLength)
    : faults(), bytes(nullptr), length(0), previous(activeStream), records(), counts(), log(), logSize(0),
      callCount(0), moveCount(0), readCount(0), path(), url(), agent(), sessionFlags(0), report()
{
    Reset(data, dataLength);
    activeStream = this;
}

MemoryStream::~MemoryStream()
{
    if (activeStream == this)
        activeStream = previous;
}

const Platform& MemoryStream::platform()
{
    static const Platform calls = {
        {Calls::FileOpen, Calls::FileRead, Calls::FileMove, Calls::FileClose},
        {Calls::SessionOpen, Calls::UrlOpen, Calls::UrlRead, Calls::UrlMove, Calls::InternetClose},
        Calls::LoadText,
        Calls::SetErrorInfo,
    };
    return calls;
}

void MemoryStream::Reset(const void* data, size_t dataLength)
{
    bytes = static_cast<const uint8_t*>(data);
    length = data ? CountedLength(dataLength) : 0;
    for (Record& record : records)
        record = Record{this, Kind::File, false, 0};
    counts = Counters{};
    logSize = 0;
    callCount = moveCount = readCount = 0;
    path[0] = url[0] = agent[0] = report[0] = 0;
    sessionFlags = 0;
}

int MemoryStream::OpenHandles() const
{
    int open = 0;
    for (const Record& record : records)
        open += record.isOpen ? 1 : 0;
    return open;
}

MemoryStream::Record* MemoryStream::Claim(Kind kind)
{
    for (Record& record : records) {
        if (!record.isOpen) {
            record = Record{this, kind, true, 0};
            return &record;
        }
    }
    return nullptr;  // all records in use: the open fails like one of the platform's
}

// Compares addresses only, so a stale or foreign handle is never dereferenced.
MemoryStream::Record* MemoryStream::FindAny(Handle handle)
{
    for (Record& record : records) {
        if (static_cast<Handle>(&record) == handle && record.isOpen)
            return &record;
    }
    return nullptr;
}

MemoryStream::Record* MemoryStream::Find(Handle handle, Kind kind)
{
    Record* record = FindAny(handle);
    if (record && record->kind == kind)
        return record;
    ++counts.badHandles;
    return nullptr;
}

bool MemoryStream::Read(Record* record, Call call, void* destination, uint32_t size, uint32_t* delivered)
{
    *delivered = 0;
    bool injected = faults.failReadNumber != 0 && ++readCount == faults.failReadNumber;
    if (!record) {
        Log(call, nullptr, 0, 0, FromBeginning, size, 0);
        return false;
    }
    uint32_t count = 0;
    // Two comparisons, never position + size, whose sum can wrap.
    if (!injected && record->position <= length) {
        uint32_t left = length - record->position;
        count = size > left ? left : size;
    }
    if (count)
        std::memcpy(destination, bytes + record->position, count);
    Log(call, record, record->position, 0, FromBeginning, size, count);
    record->position += count;
    *delivered = count;
    return true;  // like ReadFile at the end of a file: success with nothing delivered
}

uint32_t MemoryStream::Move(Record* record, Call call, int32_t distance, SeekOrigin origin)
{
    bool injected = faults.failMoveNumber != 0 && ++moveCount == faults.failMoveNumber;
    if (!record) {
        Log(call, nullptr, 0, distance, origin, 0, InvalidPosition);
        return InvalidPosition;
    }
    uint32_t before = record->position;
    uint32_t result = InvalidPosition;
    // A failed move, also one to 2 GiB or beyond, leaves the position where it was.
    if (!injected && MoveTarget(before, distance, origin, &record->position))
        result = record->position;
    Log(call, record, before, distance, origin, 0, result);
    return result;
}

void MemoryStream::Log(Call call, Handle handle, uint32_t position, int32_t distance, SeekOrigin origin,
                       uint32_t size, uint32_t result)
{
    ++callCount;  // every platform call logs exactly once
    if (logSize < LogCapacity)
        log[logSize++] = LogEntry{call, handle, position, distance, origin, size, result};
}
