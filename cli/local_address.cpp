// Local paths into "file:///" addresses, for both path styles.
#include "cli/local_address.h"

#include <cstdint>
#include <vector>

#include "resources/code_page_936.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsWindowsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(const std::string& path) { return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':'; }

std::string JoinWindows(const std::string& directory, const std::string& relative)
{
    if (directory.empty())
        return relative;
    if (IsWindowsSeparator(directory.back()))
        return directory + relative;
    return directory + "\\" + relative;
}

std::string AbsoluteWindowsPath(const std::string& path, const std::string& currentDirectory)
{
    if (path.size() >= 2 && IsWindowsSeparator(path[0]) && IsWindowsSeparator(path[1]))
        return path;  // \\server\share\...
    if (HasDrive(path)) {
        if (path.size() >= 3 && IsWindowsSeparator(path[2]))
            return path;
        // "D:name" is relative to that drive's directory; only the current drive's is known.
        const bool isCurrentDrive = HasDrive(currentDirectory) && (currentDirectory[0] | 0x20) == (path[0] | 0x20);
        const std::string base = isCurrentDrive ? currentDirectory : path.substr(0, 2) + "\\";
        return JoinWindows(base, path.substr(2));
    }
    if (!path.empty() && IsWindowsSeparator(path[0]))
        return HasDrive(currentDirectory) ? currentDirectory.substr(0, 2) + path : path;
    return JoinWindows(currentDirectory, path);
}

std::string AbsolutePosixPath(const std::string& path, const std::string& currentDirectory)
{
    if (!path.empty() && path[0] == '/')
        return path;
    if (currentDirectory.empty() || currentDirectory.back() == '/')
        return currentDirectory + path;
    return currentDirectory + "/" + path;
}

}  // namespace

bool IsPictureAddress(const std::string& argument)
{
    return StartsWith(argument, "http://") || StartsWith(argument, "ftp://") ||
           StartsWith(argument, "gopher://") || StartsWith(argument, "file:///");
}

bool LooksLikeUrl(const std::string& argument)
{
    if (argument.empty() || !IsLetter(argument[0]))
        return false;
    size_t length = 1;
    while (length < argument.size()) {
        const char c = argument[length];
        if (!IsLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            break;
        ++length;
    }
    return length >= 2 && argument.compare(length, 3, "://") == 0;
}

std::string FileAddressForPath(const std::string& path, const std::string& currentDirectory, PathStyle style)
{
    const bool isWindows = style == PathStyle::Windows;
    const std::string absolute =
        isWindows ? AbsoluteWindowsPath(path, currentDirectory) : AbsolutePosixPath(path, currentDirectory);
    // A POSIX path brings its own leading '/', the third slash of "file:///".
    std::string address = isWindows ? "file:///" : "file://";
    if (!isWindows && (absolute.empty() || absolute[0] != '/'))
        address += '/';
    for (size_t i = 0; i < absolute.size(); ++i) {
        const char c = absolute[i];
        if (isWindows && IsCp936LeadByte(c) && i + 1 < absolute.size()) {
            address += c;
            address += absolute[++i];
        } else if (c == ' ') {
            address += "%20";
        } else if (isWindows && c == '\\') {
            address += '/';
        } else {
            address += c;
        }
    }
    return address;
}

std::string CurrentDirectory()
{
    std::vector<char> buffer(512);
    for (;;) {
#ifdef _WIN32
        const char* directory = _getcwd(buffer.data(), static_cast<int>(buffer.size()));
#else
        const char* directory = getcwd(buffer.data(), buffer.size());
#endif
        if (directory)
            return directory;
        if (buffer.size() >= 65536)
            return "";
        buffer.resize(buffer.size() * 2);
    }
}

std::string AddressForArgument(const std::string& argument)
{
    if (IsPictureAddress(argument) || LooksLikeUrl(argument))
        return argument;
    return FileAddressForPath(argument, CurrentDirectory(), NativePathStyle);
}
