// The local back end over Win32 files: one platform call per open, read, move and close.
#include "exif/win32_file_stream.h"

#include "exif/stream_position.h"

const Win32FileFunctions SystemWin32FileFunctions = {CreateFileA, ReadFile, SetFilePointer, CloseHandle};

Handle OpenWin32File(const Win32FileFunctions& functions, const char* path)
{
    // Another process that holds the file open for writing makes this fail, on purpose.
    return functions.createFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool ReadWin32File(const Win32FileFunctions& functions, Handle file, void* destination, uint32_t size,
                   uint32_t* delivered)
{
    DWORD count = 0;
    BOOL done = functions.readFile(file, destination, size, &count, nullptr);
    *delivered = count;
    return done != FALSE;
}

uint32_t MoveInWin32File(const Win32FileFunctions& functions, Handle file, int32_t distance, SeekOrigin origin)
{
    auto move = [&](int32_t by, SeekOrigin from) { return functions.setFilePointer(file, by, nullptr, from); };
    return MoveWithinLargestPosition(move, distance, origin);
}

void CloseWin32File(const Win32FileFunctions& functions, Handle file) { functions.closeHandle(file); }
