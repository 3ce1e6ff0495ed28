// A picture held in memory, served through a Platform with the local file back end's
// semantics, for tests, fuzzing and benchmarks of the whole address-and-walk path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "record/platform.h"

// One MemoryStream is the active one of its thread from construction to destruction (a
// stack: a nested one hides the outer one until it goes). Its platform() routes
//   file calls       over the bytes, with Win32 file semantics: short reads, reads at or past
//                    the end deliver 0, a move beyond the end succeeds, a move before 0 or to
//                    2 GiB and more fails and leaves the position alone;
//   internet calls   over the same bytes with the same semantics, or failing (faults);
//   loadText         to DefaultPlatform().loadText (the build's real string table);
//   setErrorInfo     to DefaultPlatform().setErrorInfo, after counting and keeping the text.
// Handles are addresses of fixed records inside the stream: no heap allocation, and a
// handle that is not an open record of the active stream is refused and counted.
class MemoryStream {
public:
    static constexpr int HandleCapacity = 4;    // per kind: files, sessions, URLs
    static constexpr size_t LogCapacity = 256;  // calls beyond it are counted, not logged
    static constexpr size_t TextCapacity = 260;

    enum class Call : uint8_t {
        FileOpen, FileRead, FileMove, FileClose,
        SessionOpen, UrlOpen, UrlRead, UrlMove, InternetClose,
    };

    // One platform call. position: the handle's position before the call. result: bytes
    // delivered (reads), the returned position (moves), 1/0 for opens, 1 for a close of an
    // open handle and 0 for a refused one.
    struct LogEntry {
        Call call;
        Handle handle;
        uint32_t position;
        int32_t distance;  // moves
        SeekOrigin origin; // moves
        uint32_t size;     // reads
        uint32_t result;
    };

    struct Faults {
        bool failFileOpen = false;
        bool failOfflineSession = false;  // the session with InternetFlagOffline gives null
        bool failPlainSession = false;    // the session without flags gives null
        bool failUrlOpen = false;
        uint32_t failMoveNumber = 0;      // the n-th move of any kind (Tell included) fails; 0: none
        uint32_t failReadNumber = 0;      // the n-th read of any kind delivers nothing; 0: none
    };

    struct Counters {
        uint32_t fileOpens = 0, fileReads = 0, fileMoves = 0, fileCloses = 0;
        uint32_t sessionOpens = 0, urlOpens = 0, urlReads = 0, urlMoves = 0, internetCloses = 0;
        uint32_t reports = 0;     // setErrorInfo calls
        uint32_t badHandles = 0;  // calls on a handle that is not open here, double closes included
    };

    // The bytes stay the caller's and must outlive their use; at most 4 GiB - 1 of them count.
    MemoryStream(const void* data, size_t length);
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    // The same table for every stream; it acts on the thread's active stream.
    static const Platform& platform();

    // New bytes, all handles dropped, counters, log and recorded texts cleared; faults kept.
    void Reset(const void* data, size_t length);

    Faults faults;

    const Counters& counters() const { return counts; }
    int OpenHandles() const;
    size_t LogSize() const { return logSize; }   // entries logged, at most LogCapacity
    const LogEntry& LogAt(size_t index) const { return log[index]; }
    uint32_t CallCount() const { return callCount; }  // every file and internet call

    // What the back end was last handed, cut to TextCapacity - 1 bytes.
    const char* lastPath() const { return path; }
    const char* lastUrl() const { return url; }
    const char* lastAgent() const { return agent; }
    uint32_t lastSessionFlags() const { return sessionFlags; }
    const char* lastReport() const { return report; }  // the text of the last setErrorInfo

private:
    enum class Kind : uint8_t { File, Session, Url };
    struct Record {
        MemoryStream* owner;
        Kind kind;
        bool isOpen;
        uint32_t position;
    };

    struct Calls;  // the static functions behind platform()
    friend struct Calls;

    Record* Claim(Kind kind);
    Record* Find(Handle handle, Kind kind);
    Record* FindAny(Handle handle);
    bool Read(Record* record, Call call, void* destination, uint32_t size, uint32_t* delivered);
    uint32_t Move(Record* record, Call call, int32_t distance, SeekOrigin origin);
    void Log(Call call, Handle handle, uint32_t position, int32_t distance, SeekOrigin origin,
             uint32_t size, uint32_t result);

    const uint8_t* bytes;
    uint32_t length;
    MemoryStream* previous;
    Record records[3 * HandleCapacity];
    Counters counts;
    LogEntry log[LogCapacity];
    size_t logSize;
    uint32_t callCount;
    uint32_t moveCount;
    uint32_t readCount;
    char path[TextCapacity];
    char url[TextCapacity];
    char agent[TextCapacity];
    uint32_t sessionFlags;
    char report[TextCapacity];
};
