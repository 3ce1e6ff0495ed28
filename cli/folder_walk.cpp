// Walks a folder tree for `-r`: POSIX directories natively, FindFirstFileA on Windows, whose
// names are code page 936 bytes like the rest of that build's paths. A folder that cannot be
// listed or entered is told with the system's reason, never passed over in silence.
#include "cli/folder_walk.h"

#include <algorithm>
#include <cstring>

#include "cli/local_address.h"
#include "cli/system_reason.h"
#include "resources/code_page_936.h"
#include "resources/picture_extensions.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

struct FolderEntry {
    std::string name;
    bool isFolder;
    bool isLink;  // never walked; read only when it leads to a file
};

#ifdef _WIN32
// A trail byte may be '\' (0x5C): only a separator that is a character of its own ends a folder.
bool EndsWithSeparator(const std::string& path)
{
    size_t last = 0;
    for (size_t i = 0; i < path.size(); i += IsCp936LeadByte(path[i]) && i + 1 < path.size() ? 2 : 1)
        last = i;
    return !path.empty() && last == path.size() - 1 && (path[last] == '\\' || path[last] == '/');
}

bool NeedsNoSeparator(const std::string& folder)
{
    const bool isDriveOnly = folder.size() == 2 && folder[1] == ':';  // "D:" is D's current folder
    return folder.empty() || isDriveOnly || EndsWithSeparator(folder);
}

const char Separator[] = "\\";
#else
bool NeedsNoSeparator(const std::string& folder) { return folder.empty() || folder.back() == '/'; }

const char Separator[] = "/";
#endif

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder + (NeedsNoSeparator(folder) ? "" : Separator) + name;
}

#ifdef _WIN32

// Lists folder into entries; the system's reason when it could not.
std::string ListFolder(const std::string& folder, std::vector<FolderEntry>& entries)
{
    WIN32_FIND_DATAA found;
    const std::string pattern = JoinPath(folder, "*");
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? "" : SystemReason(error);  // an empty drive root has not even "."
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const DWORD attributes = found.dwFileAttributes;
        const bool isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back({name, (attributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink, isLink});
    } while (FindNextFileA(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES ? "" : SystemReason(error);
}

bool IsFolderPath(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
#else
// A folder that can be listed but not entered (read without search permission) names its files
// but opens none of them: it is as unreadable as one that cannot be listed.
std::string ListFolder(const std::string& folder, std::vector<FolderEntry>& entries)
{
    if (faccessat(AT_FDCWD, folder.c_str(), R_OK | X_OK, AT_EACCESS) != 0)
        return SystemReason(static_cast<unsigned long>(errno));
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return SystemReason(static_cast<unsigned long>(errno));
    errno = 0;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        bool isLink = entry->d_type == DT_LNK;
        struct stat status;
        if (entry->d_type == DT_UNKNOWN && fstatat(dirfd(directory), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
            isFolder = S_ISDIR(status.st_mode);  // file systems that do not keep the type in the folder
            isLink = S_ISLNK(status.st_mode);
        }
        entries.push_back({name, isFolder, isLink});
        errno = 0;
    }
    const int error = errno;  // readdir's end and its failure differ only here
    closedir(directory);
    return error ? SystemReason(static_cast<unsigned long>(error)) : "";
}

bool IsFolderPath(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}
#endif

}  // namespace

bool IsPictureName(const std::string& name)
{
    for (const char* extension : PictureExtensions) {
        const size_t length = std::strlen(extension);
        if (name.size() < length)
            continue;
        bool matches = true;
        for (size_t i = 0; i < length && matches; ++i) {
            char c = name[name.size() - length + i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            matches = c == extension[i];
        }
        if (matches)
            return true;
    }
    return false;
}

bool IsLocalFolder(const std::string& argument) { return !IsAddressArgument(argument) && IsFolderPath(argument); }

FolderPictures PicturesBelow(const std::string& folder)
{
    FolderPictures pictures;
    // A list of folders still to walk rather than recursion: depth costs no stack.
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const std::string current = pending.back();
        pending.pop_back();
        std::vector<FolderEntry> entries;
        const std::string problem = ListFolder(current, entries);
        if (!problem.empty())
            pictures.unreadableFolders.push_back({current, problem});
        for (const FolderEntry& entry : entries) {
            if (entry.isFolder)
                pending.push_back(JoinPath(current, entry.name));
            else if (IsPictureName(entry.name) && !(entry.isLink && IsFolderPath(JoinPath(current, entry.name))))
                pictures.paths.push_back(JoinPath(current, entry.name));  // a link to a folder is neither walked nor read
        }
    }
    std::sort(pictures.paths.begin(), pictures.paths.end());
    std::sort(pictures.unreadableFolders.begin(), pictures.unreadableFolders.end(),
              [](const FolderProblem& a, const FolderProblem& b) { return a.folder < b.folder; });
    return pictures;
}
