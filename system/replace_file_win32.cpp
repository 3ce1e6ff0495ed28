// A new file written whole beside the old one, then put in its place by ReplaceFileA, which keeps
// the old file's attributes, or by MoveFileExA when there is none.
#include "system/replace_file.h"
#include "system/replace_file_win32.h"

#include <cstdio>
#include <cstring>

#include "system/system_reason.h"

const ReplaceFileFunctions SystemReplaceFileFunctions = {
    GetTempFileNameA, CreateFileA, WriteFile,   FlushFileBuffers, CloseHandle,
    GetFileAttributesA, ReplaceFileA, MoveFileExA, DeleteFileA,
};

namespace {

// One write of the whole text, then the flush: the rename must never install a short file.
DWORD WriteWhole(const ReplaceFileFunctions& functions, HANDLE file, const char* bytes, size_t length)
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

DWORD PutInPlace(const ReplaceFileFunctions& functions, const char* temporary, const char* path)
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

// A name made here, for a folder too deep for GetTempFileNameA: the longest of these forms that
// fits the room the chosen file's own name had, a number tried until it is new.
DWORD CreateOwnTemporary(const ReplaceFileFunctions& functions, const char* folder, size_t folderLength,
                         char (&temporary)[MAX_PATH], HANDLE& file)
{
    static const struct {
        const char* format;
        size_t length;
        unsigned values;
    } forms[] = {{"~orv%04X.tmp", 12, 0x10000}, {"~%04X.tmp", 9, 0x10000}, {"~%04X", 5, 0x10000}, {"~%02X", 3, 0x100}};
    const size_t room = sizeof temporary - 1 - folderLength;  // the path of the file had no more
    for (const auto& form : forms) {
        if (form.length > room)
            continue;
        memcpy(temporary, folder, folderLength);
        const unsigned start = GetTickCount();
        for (unsigned tried = 0; tried < form.values; ++tried) {
            snprintf(temporary + folderLength, room + 1, form.format, (start + tried) % form.values);
            file = functions.createFile(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE)
                return 0;
            const DWORD error = LastFailure();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                return error;
        }
        return ERROR_FILE_EXISTS;
    }
    return ERROR_FILENAME_EXCED_RANGE;
}

// A new, empty file in folder (folderLength characters, its final backslash included), open for
// writing, and its name; none is left behind when it cannot be had.
DWORD CreateTemporary(const ReplaceFileFunctions& functions, const char* folder, size_t folderLength,
                      char (&temporary)[MAX_PATH], HANDLE& file)
{
    file = INVALID_HANDLE_VALUE;
    // The system's names need 14 characters beyond the folder. Past that GetTempFileNameA is not
    // asked at all: Windows refuses the folder, but Wine writes a name longer than MAX_PATH.
    if (folderLength > MAX_PATH - 14)
        return CreateOwnTemporary(functions, folder, folderLength, temporary, file);
    if (!functions.getTempFileName(folder, "orv", 0, temporary))
        return LastFailure();
    file = functions.createFile(temporary, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        return 0;
    const DWORD error = LastFailure();
    functions.deleteFile(temporary);
    return error;
}

// The length of path's folder with its final separator: a trail byte of the ANSI code page may be
// '\' or '/', so only a separator that is a character of its own counts.
size_t FolderLength(const char* path)
{
    size_t folderLength = 0;
    for (size_t i = 0; path[i]; ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1])
            ++i;
        else if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            folderLength = i + 1;
    }
    return folderLength;
}

}  // namespace

DWORD ReplaceFileInPlace(const ReplaceFileFunctions& functions, const char* path, size_t folderLength,
                         const char* bytes, size_t length)
{
    if (strlen(path) >= MAX_PATH || folderLength >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    // The same folder keeps the final rename on one volume, so it is one step.
    char folder[MAX_PATH] = ".";
    if (folderLength > 0) {
        memcpy(folder, path, folderLength);
        folder[folderLength] = 0;
    }
    char temporary[MAX_PATH] = {};
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = CreateTemporary(functions, folder, strlen(folder), temporary, file);
    if (error)
        return error;
    error = WriteWhole(functions, file, bytes, length);
    if (!functions.closeHandle(file) && !error)
        error = LastFailure();
    if (!error)
        error = PutInPlace(functions, temporary, path);
    if (error && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT)
        functions.deleteFile(temporary);
    return error;
}

ReplaceOutcome ReplaceWholeFile(const char* path, const char* bytes, size_t length)
{
    ReplaceOutcome outcome;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        outcome.refusal = ReplaceRefusal::Folder;
    else
        outcome.error = ReplaceFileInPlace(SystemReplaceFileFunctions, path, FolderLength(path), bytes, length);
    return outcome;
}
