// A new file written whole beside the old one, then renamed over it.
#include "ui/save_file.h"

#include <cstring>

#include "ui/failure_message.h"

const SaveFileFunctions SystemSaveFileFunctions = {
    GetSaveFileNameA, CommDlgExtendedError, GetTempFileNameA, CreateFileA, WriteFile, FlushFileBuffers,
    CloseHandle,      GetFileAttributesA,   ReplaceFileA,     MoveFileExA, DeleteFileA,
};

namespace {

// One write of the whole text, then the flush: the rename must never install a short file.
DWORD WriteWhole(const SaveFileFunctions& functions, HANDLE file, const char* bytes, size_t length)
{
    DWORD written = 0;
    if (!functions.writeFile(file, bytes, static_cast<DWORD>(length), &written, nullptr))
        return LastFailure();
    if (written != length)
        return ERROR_WRITE_FAULT;
    if (!functions.flushFileBuffers(file))
        return LastFailure();
    return 0;
}

DWORD PutInPlace(const SaveFileFunctions& functions, const char* temporary, const char* path)
{
    constexpr DWORD moveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (functions.getFileAttributes(path) == INVALID_FILE_ATTRIBUTES)
        return functions.moveFileEx(temporary, path, moveFlags) ? 0 : LastFailure();
    if (functions.replaceFile(path, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return 0;
    const DWORD error = LastFailure();
    // Here the old file is gone already and the new one still has its temporary name.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && functions.moveFileEx(temporary, path, moveFlags))
        return 0;
    return error;
}

}  // namespace

DWORD SaveFileInPlace(const SaveFileFunctions& functions, const char* path, size_t folderLength, const char* bytes,
                      size_t length)
{
    // The same folder keeps the final rename on one volume, so it is one step.
    char folder[MAX_PATH] = ".";
    if (folderLength > 0 && folderLength < sizeof folder) {
        memcpy(folder, path, folderLength);
        folder[folderLength] = 0;
    }
    char temporary[MAX_PATH] = {};
    if (!functions.getTempFileName(folder, "orv", 0, temporary))
        return LastFailure();
    HANDLE file = functions.createFile(temporary, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD error = file == INVALID_HANDLE_VALUE ? LastFailure() : WriteWhole(functions, file, bytes, length);
    if (file != INVALID_HANDLE_VALUE && !functions.closeHandle(file) && !error)
        error = LastFailure();
    if (!error)
        error = PutInPlace(functions, temporary, path);
    if (error && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT)
        functions.deleteFile(temporary);
    return error;
}
