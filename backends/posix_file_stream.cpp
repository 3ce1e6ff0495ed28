// The native local back end: POSIX files behind Win32 file semantics, over the Windows-form
// paths that the address rules make ("home\u\a.jpg" is read as "/home/u/a.jpg"), or over a
// path exactly as the file system names it, where a '\' is just a byte of a name.
//
// A read is answered from a block of the file that one pread fetched, refetched at the read's
// position when the read is not inside it. For a regular file that gives the same bytes, counts
// and failures as one pread per read, at a fraction of the calls; like the share mode of the
// Windows open, it assumes nobody writes the file while it is open.
#include "backends/posix_file_stream.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "backends/native_backends.h"
#include "record/stream_position.h"

namespace {

// Fixed records instead of one allocation per open; the position is our own, 32 bits wide,
// so a move never needs the kernel and a failed one cannot move anything.
struct FileRecord {
    std::atomic<bool> isOpen;
    int descriptor;
    uint32_t position;
    // block[0, blockLength) holds the file from blockStart; a block shorter than PosixBlockSize
    // ends at the end of the file.
    bool hasBlock;
    uint32_t blockLength;
    uint64_t blockStart;
    uint8_t block[PosixBlockSize];
};

FileRecord records[PosixHandleCount];

FileRecord* Claim()
{
    for (FileRecord& record : records) {
        bool expected = false;
        if (record.isOpen.compare_exchange_strong(expected, true))
            return &record;
    }
    return nullptr;
}

// Compares addresses only, so a stale or foreign handle is never dereferenced.
FileRecord* Find(Handle file)
{
    for (FileRecord& record : records) {
        if (static_cast<Handle>(&record) == file)
            return record.isOpen.load() ? &record : nullptr;
    }
    return nullptr;
}

// Backslashes become slashes, and the path is taken from the root: the address rules leave
// "file:///home/u/a.jpg" as "home\u\a.jpg". False when it does not fit.
bool NativePath(const char* path, char (&native)[PATH_MAX])
{
    if (!path || !*path)
        return false;
    size_t write = 0;
    if (*path != '/' && *path != '\\')
        native[write++] = '/';
    for (; *path; ++path) {
        if (write + 1 >= sizeof native)
            return false;
        native[write++] = *path == '\\' ? '/' : *path;
    }
    native[write] = 0;
    return true;
}

Handle OpenNative(const char* native)
{
    // Non-blocking, so that a FIFO cannot hang the open; regular files ignore the flag.
    int descriptor = open(native, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0)
        return InvalidHandle();
    struct stat status;
    FileRecord* record = nullptr;
    // Like CreateFileA without backup semantics, a directory is refused.
    if (fstat(descriptor, &status) == 0 && !S_ISDIR(status.st_mode))
        record = Claim();
    if (!record) {
        close(descriptor);
        return InvalidHandle();
    }
    record->descriptor = descriptor;
    record->position = 0;
    record->hasBlock = false;
    return record;
}

Handle OpenAddressPath(const char* path)
{
    char native[PATH_MAX];
    if (!NativePath(path, native))
        return InvalidHandle();
    return OpenNative(native);
}

Handle OpenLocalPath(const char* path)
{
    if (!path || !*path)
        return InvalidHandle();
    return OpenNative(path);
}

// One pread, restarted when a signal interrupts it: the byte count, or -1.
ssize_t ReadAt(int descriptor, void* destination, size_t size, uint64_t offset)
{
    ssize_t count;
    do {
        count = pread(descriptor, destination, size, static_cast<off_t>(offset));
    } while (count < 0 && errno == EINTR);
    return count;
}

// The bytes that one pread of `wanted` bytes at `offset` would deliver, or -1 where it would
// fail. The block answers when it holds them all, or holds the end of the file that the read
// reaches; otherwise it is refetched at the offset, and a read longer than a block bypasses it.
ssize_t ReadThroughBlock(FileRecord& record, uint8_t* destination, size_t wanted, uint64_t offset)
{
    if (wanted == 0)
        return 0;
    bool inBlock = record.hasBlock && offset >= record.blockStart;
    uint64_t skip = inBlock ? offset - record.blockStart : 0;
    bool endsInBlock = record.blockLength < PosixBlockSize;
    if (!inBlock || (skip + wanted > record.blockLength && !endsInBlock)) {
        if (wanted > PosixBlockSize)
            return ReadAt(record.descriptor, destination, wanted, offset);
        ssize_t count = ReadAt(record.descriptor, record.block, PosixBlockSize, offset);
        if (count < 0) {
            record.hasBlock = false;
            return -1;
        }
        record.hasBlock = true;
        record.blockStart = offset;
        record.blockLength = static_cast<uint32_t>(count);
        skip = 0;
    }
    // Short only where the file ends.
    size_t available = skip < record.blockLength ? record.blockLength - static_cast<size_t>(skip) : 0;
    size_t count = wanted < available ? wanted : available;
    if (count > 0)
        memcpy(destination, record.block + skip, count);
    return static_cast<ssize_t>(count);
}

// A short read is a success, and nothing is completed.
bool Read(Handle file, void* destination, uint32_t size, uint32_t* delivered)
{
    *delivered = 0;
    FileRecord* record = Find(file);
    if (!record)
        return false;
    // The 32-bit position must not wrap.
    uint32_t room = 0xFFFFFFFFu - record->position;
    size_t wanted = size > room ? room : size;
    ssize_t count = ReadThroughBlock(*record, static_cast<uint8_t*>(destination), wanted, record->position);
    if (count < 0)
        return false;
    *delivered = static_cast<uint32_t>(count);
    record->position += *delivered;
    return true;
}

// SetFilePointer without a high part: the new position, or InvalidPosition and no move.
uint32_t Move(Handle file, int32_t distance, SeekOrigin origin)
{
    FileRecord* record = Find(file);
    if (!record || !MoveTarget(record->position, distance, origin, &record->position))
        return InvalidPosition;
    return record->position;
}

void Close(Handle file)
{
    FileRecord* record = Find(file);
    if (!record)
        return;
    close(record->descriptor);
    record->descriptor = -1;
    record->isOpen.store(false);
}

}  // namespace

const FileCalls& PosixFileCalls()
{
    static const FileCalls calls = {OpenAddressPath, Read, Move, Close};
    return calls;
}

const FileCalls& PosixLocalPathCalls()
{
    static const FileCalls calls = {OpenLocalPath, Read, Move, Close};
    return calls;
}
