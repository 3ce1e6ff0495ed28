// The command line's "save": a temporary file in the target's own folder, so that the final
// rename never crosses a file system and either the old or the whole new file is there.
#include "cli/replace_file.h"
#include "cli/system_reason.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
std::string WriteNewFile(const std::string& temporary, const std::string& bytes, bool& isNameTaken)
{
    const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        isNameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return SystemReason(error);
    }
    DWORD written = 0;
    const bool isWhole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                         written == bytes.size() && FlushFileBuffers(file);
    const DWORD error = isWhole ? 0 : GetLastError();
    const bool isClosed = CloseHandle(file) != FALSE;
    if (!isWhole || !isClosed) {
        const std::string reason = SystemReason(error ? error : GetLastError());
        DeleteFileA(temporary.c_str());
        return reason;
    }
    return "";
}

std::string Rename(const std::string& temporary, const std::string& path)
{
    if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return "";
    const std::string reason = SystemReason(GetLastError());
    DeleteFileA(temporary.c_str());
    return reason;
}

std::string TemporaryName(const std::string& path, unsigned attempt)
{
    return path + ".orvane-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
}

#else
// The permissions the new file must have: the replaced file's, or what a plain create would give.
mode_t ModeFor(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) == 0)
        return status.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string WriteNewFile(const std::string& temporary, const std::string& bytes, mode_t mode, bool& isNameTaken)
{
    const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0) {
        isNameTaken = errno == EEXIST;
        return SystemReason(static_cast<unsigned long>(errno));
    }
    int error = fchmod(file, mode) == 0 ? 0 : errno;
    for (size_t done = 0; !error && done < bytes.size();) {
        const ssize_t count = write(file, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            error = count < 0 ? errno : EIO;
        else
            done += static_cast<size_t>(count);
    }
    if (!error && fsync(file) != 0)
        error = errno;
    if (close(file) != 0 && !error)
        error = errno;
    if (error) {
        unlink(temporary.c_str());
        return SystemReason(static_cast<unsigned long>(error));
    }
    return "";
}

std::string Rename(const std::string& temporary, const std::string& path)
{
    if (rename(temporary.c_str(), path.c_str()) == 0)
        return "";
    const std::string reason = SystemReason(static_cast<unsigned long>(errno));
    unlink(temporary.c_str());
    return reason;
}

std::string TemporaryName(const std::string& path, unsigned attempt)
{
    return path + ".orvane-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
}

#endif

}  // namespace

std::string ReplaceWholeFile(const std::string& path, const std::string& bytes)
{
#ifndef _WIN32
    const mode_t mode = ModeFor(path);
#endif
    std::string reason;
    // A name left by a run that was killed, or taken by a save of another machine on a share.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = TemporaryName(path, attempt);
        bool isNameTaken = false;
#ifdef _WIN32
        reason = WriteNewFile(temporary, bytes, isNameTaken);
#else
        reason = WriteNewFile(temporary, bytes, mode, isNameTaken);
#endif
        if (reason.empty())
            return Rename(temporary, path);
        if (!isNameTaken)
            return reason;
    }
    return reason;
}
