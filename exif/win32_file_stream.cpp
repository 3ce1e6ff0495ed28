// The local back end over Win32 files: one platform call per open, read, move and close.
#include "exif/win32_file_stream.h"

#include <windows.h>

namespace {

// The reader's positions are signed 32-bit numbers: 2 GiB and beyond count as failures.
constexpr DWORD LastValidPosition = 0x7FFFFFFF;

Handle OpenFile(const char* path)
{
    // Another process that holds the file open for writing makes this fail, on purpose.
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool ReadFromFile(Handle file, void* destination, uint32_t size, uint32_t* delivered)
{
    DWORD count = 0;
    BOOL done = ReadFile(file, destination, size, &count, nullptr);
    *delivered = count;
    return done != FALSE;
}

uint32_t MoveInFile(Handle file, int32_t distance, SeekOrigin origin)
{
    DWORD position = SetFilePointer(file, distance, nullptr, origin);
    if (position == INVALID_SET_FILE_POINTER || position <= LastValidPosition)
        return position;
    // Without a high part SetFilePointer accepts the new positions 2^31 to 2^32 - 2, which the
    // reader counts as failures; a failed move must leave the position where it was, so go
    // back. Only a move from the current position gets here (from the beginning, a
    // non-negative distance stays below 2^31), and every position this back end keeps is
    // below 2^31, so the old one is the new one less the distance, in 32-bit arithmetic.
    DWORD old = position - static_cast<DWORD>(distance);
    SetFilePointer(file, static_cast<LONG>(old), nullptr, FILE_BEGIN);
    return InvalidPosition;
}

void CloseFile(Handle file) { CloseHandle(file); }

}  // namespace

const FileCalls& Win32FileCalls()
{
    static const FileCalls calls = {OpenFile, ReadFromFile, MoveInFile, CloseFile};
    return calls;
}
