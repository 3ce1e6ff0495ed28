// Walks a folder tree for `-r`: POSIX directories natively, FindFirstFileA on Windows, whose
// names are code page 936 bytes like the rest of that build's paths.
#include "cli/folder_walk.h"

#include <algorithm>

#include "cli/local_address.h"
#include "resources/code_page_936.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

struct FolderEntry {
    std::string name;
    bool isFolder;
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
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries)
{
    WIN32_FIND_DATAA found;
    const std::string pattern = JoinPath(folder, "*");
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root has not even "."
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const DWORD attributes = found.dwFileAttributes;
        const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        entries.push_back({name, isFolder});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

bool IsFolderPath(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
#else
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries)
{
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return false;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat status;
        const bool isFolder = lstat(JoinPath(folder, name).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
        entries.push_back({name, isFolder});
    }
    closedir(directory);
    return true;
}

bool IsFolderPath(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}
#endif

}  // namespace

bool IsJpegName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension == "jpg" || extension == "jpeg" || extension == "jpe" || extension == "jfif";
}

bool IsLocalFolder(const std::string& argument)
{
    return !IsPictureAddress(argument) && !LooksLikeUrl(argument) && IsFolderPath(argument);
}

FolderPictures JpegFilesBelow(const std::string& folder)
{
    FolderPictures pictures;
    // A list of folders still to walk rather than recursion: depth costs no stack.
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const std::string current = pending.back();
        pending.pop_back();
        std::vector<FolderEntry> entries;
        if (!ListFolder(current, entries)) {
            pictures.unreadableFolders.push_back(current);
            continue;
        }
        for (const FolderEntry& entry : entries) {
            if (entry.isFolder)
                pending.push_back(JoinPath(current, entry.name));
            else if (IsJpegName(entry.name))
                pictures.paths.push_back(JoinPath(current, entry.name));
        }
    }
    std::sort(pictures.paths.begin(), pictures.paths.end());
    std::sort(pictures.unreadableFolders.begin(), pictures.unreadableFolders.end());
    return pictures;
}
