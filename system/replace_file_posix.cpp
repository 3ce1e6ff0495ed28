// The save on POSIX systems: the temporary file in the replaced file's own folder, so that the
// final rename never crosses a file system and either the old or the whole new file is there.
// Only a plain file is replaced: a rename over a device, a FIFO or a link would put a file where
// they were.
#include "system/replace_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace {

// What the new file takes from the one it replaces: its permissions and, where this user may
// give them, its owner and group (root saving over a user's file leaves it the user's).
struct FileLook {
    mode_t mode = 0;
    bool isReplacing = false;
    uid_t owner = 0;
    gid_t group = 0;
};

ReplaceOutcome Refused(ReplaceRefusal refusal)
{
    ReplaceOutcome outcome;
    outcome.refusal = refusal;
    return outcome;
}

ReplaceOutcome Failed(int error)
{
    ReplaceOutcome outcome;
    outcome.error = static_cast<unsigned long>(error);
    return outcome;
}

ReplaceRefusal RefusalFor(mode_t mode)
{
    if (S_ISDIR(mode))
        return ReplaceRefusal::Folder;
    if (S_ISFIFO(mode))
        return ReplaceRefusal::Fifo;
    if (S_ISSOCK(mode))
        return ReplaceRefusal::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return ReplaceRefusal::Device;
    return ReplaceRefusal::None;
}

// The file that path names: path itself, or the file at the end of a symbolic link. The link is
// first followed by stat, under the kernel's own rules for following links (fs.protected_symlinks),
// so that one it would not let an open follow is not followed here either.
ReplaceOutcome FindTarget(const char* path, std::string& target)
{
    target = path;
    struct stat status;
    if (lstat(path, &status) != 0 || !S_ISLNK(status.st_mode))
        return ReplaceOutcome();
    if (stat(path, &status) != 0)
        return errno == ENOENT ? Refused(ReplaceRefusal::LinkToNothing) : Failed(errno);
    char* resolved = realpath(path, nullptr);
    if (!resolved)
        return Failed(errno);
    target = resolved;
    free(resolved);
    return ReplaceOutcome();
}

// Refuses what is not a plain file its user may write; else how the new file looks: as the
// replaced file, or as a plain create would make it.
ReplaceOutcome CheckTarget(const std::string& target, FileLook& look)
{
    struct stat status;
    if (lstat(target.c_str(), &status) != 0) {
        if (errno != ENOENT)
            return Failed(errno);
        const mode_t mask = umask(0);
        umask(mask);
        look.mode = 0666 & ~mask;
        return ReplaceOutcome();
    }
    if (S_ISLNK(status.st_mode))  // a link put there since it was resolved
        return Failed(ELOOP);
    const ReplaceRefusal refusal = RefusalFor(status.st_mode);
    if (refusal != ReplaceRefusal::None)
        return Refused(refusal);
    // The rename needs only the folder's permission: the file's own must be asked for.
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return Failed(errno);
    look = {static_cast<mode_t>(status.st_mode & 07777), true, status.st_uid, status.st_gid};
    return ReplaceOutcome();
}

// The name beside the file: its own name, cut at a whole UTF-8 character when the folder's name
// limit leaves no room for the suffix.
std::string TemporaryName(const std::string& name, unsigned attempt, size_t nameLimit)
{
    const std::string suffix = ".orvane-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
    size_t kept = name.size();
    if (kept + suffix.size() > nameLimit) {
        kept = nameLimit > suffix.size() ? nameLimit - suffix.size() : 0;
        while (kept > 0 && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80)
            --kept;
    }
    return name.substr(0, kept) + suffix;
}

// The replaced file's owner and group for the new file. Whoever may not give a file away may
// still give it a group of theirs; a file that can keep neither stays its writer's, as a plain
// create leaves it. Answers whether both were kept.
bool KeepOwner(int file, const FileLook& look)
{
    if (!look.isReplacing || (look.owner == geteuid() && look.group == getegid()))
        return true;
    if (fchown(file, look.owner, look.group) == 0)
        return true;
    const bool isGroupKept = fchown(file, static_cast<uid_t>(-1), look.group) == 0;
    (void)isGroupKept;
    return false;
}

int WriteNewFile(int folder, const std::string& temporary, const char* bytes, size_t length, const FileLook& look)
{
    const int file = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0)
        return errno;
    // Before the mode: a change of owner clears the set-user and set-group bits.
    KeepOwner(file, look);
    int error = fchmod(file, look.mode) == 0 ? 0 : errno;
    for (size_t done = 0; !error && done < length;) {
        const ssize_t count = write(file, bytes + done, length - done);
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
    if (error)
        unlinkat(folder, temporary.c_str(), 0);
    return error;
}

// A file size limit would end the process with SIGXFSZ in the middle of the write and leave the
// temporary file behind; ignored, the write fails with EFBIG and the temporary is removed.
class SizeLimitSignalIgnored {
public:
    SizeLimitSignalIgnored()
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        isChanged_ = sigaction(SIGXFSZ, &ignore, &before_) == 0;
    }
    ~SizeLimitSignalIgnored()
    {
        if (isChanged_)
            sigaction(SIGXFSZ, &before_, nullptr);
    }
    SizeLimitSignalIgnored(const SizeLimitSignalIgnored&) = delete;
    SizeLimitSignalIgnored& operator=(const SizeLimitSignalIgnored&) = delete;

private:
    struct sigaction before_ = {};
    bool isChanged_ = false;
};

#ifdef O_PATH
constexpr int FolderOpenFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;  // a folder without read permission too
#else
constexpr int FolderOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Writes the new file in folder and renames it over name; a name left by a run that was killed
// is passed over.
ReplaceOutcome ReplaceIn(int folder, const std::string& name, const char* bytes, size_t length, const FileLook& look)
{
    const long limit = fpathconf(folder, _PC_NAME_MAX);
    const size_t nameLimit = limit > 0 ? static_cast<size_t>(limit) : NAME_MAX;
    const SizeLimitSignalIgnored ignored;
    int error = EEXIST;
    for (unsigned attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const std::string temporary = TemporaryName(name, attempt, nameLimit);
        error = WriteNewFile(folder, temporary, bytes, length, look);
        if (error == 0 && renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) {
            error = errno;
            unlinkat(folder, temporary.c_str(), 0);
            return Failed(error);
        }
    }
    return error ? Failed(error) : ReplaceOutcome();
}

}  // namespace

ReplaceOutcome ReplaceWholeFile(const char* path, const char* bytes, size_t length)
{
    std::string target;
    ReplaceOutcome outcome = FindTarget(path, target);
    FileLook look;
    if (outcome.IsReplaced())
        outcome = CheckTarget(target, look);
    if (!outcome.IsReplaced())
        return outcome;
    const size_t slash = target.rfind('/');
    const std::string folderPath = slash == std::string::npos ? "." : target.substr(0, slash ? slash : 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const int folder = open(folderPath.c_str(), FolderOpenFlags);
    if (folder < 0)
        return Failed(errno);
    outcome = ReplaceIn(folder, name, bytes, length, look);
    close(folder);
    return outcome;
}
