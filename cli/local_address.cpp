// Addresses and local paths on the command line; the dialog's form of a path, for both styles.
#include "cli/local_address.h"

#include <cstdint>
#include <vector>

#include "resources/code_page_936.h"

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

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

std::string DialogFormOfPath(const std::string& path, const std::string& currentDirectory, PathStyle style)
{
    const bool isWindows = style == PathStyle::Windows;
    const std::string absolute =
        isWindows ? AbsoluteWindowsPath(path, currentDirectory) : AbsolutePosixPath(path, currentDirectory);
    std::string shown;
    shown.reserve(absolute.size());
    for (size_t i = isWindows || absolute.empty() || absolute[0] != '/' ? 0 : 1; i < absolute.size(); ++i) {
        const char c = absolute[i];
        if (isWindows && IsCp936LeadByte(c) && i + 1 < absolute.size()) {
            shown += c;
            shown += absolute[++i];
        } else {
            shown += c == '/' ? '\\' : c;
        }
    }
    return shown;
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

// Every address that the address rules take begins like a URL, so the scheme's form alone
// decides; the rules themselves keep the prefixes.
bool IsAddressArgument(const std::string& argument) { return LooksLikeUrl(argument); }

std::string PathForReading(const std::string& path)
{
#ifdef _WIN32
    const int characters = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(characters > 0 ? static_cast<size_t>(characters) : 1);
    if (characters <= 0 || !MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide.data(), characters))
        return "";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
    if (bytes <= 0 || !WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, &utf8[0], bytes, nullptr, nullptr))
        return "";
    utf8.resize(static_cast<size_t>(bytes) - 1);
    return utf8;
#else
    return path;
#endif
}
