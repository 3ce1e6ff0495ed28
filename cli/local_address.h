// Turns a local path given on the command line into the "file:///" address a browser hands over.
#pragma once

#include <string>

enum class PathStyle { Posix, Windows };

#ifdef _WIN32
constexpr PathStyle NativePathStyle = PathStyle::Windows;
#else
constexpr PathStyle NativePathStyle = PathStyle::Posix;
#endif

// True for "http://", "ftp://", "gopher://" and "file:///" addresses.
bool IsPictureAddress(const std::string& argument);

// True when the argument begins like a URL of any scheme ("xyz://"). The scheme needs two
// characters at least, so that a drive letter never counts as one.
bool LooksLikeUrl(const std::string& argument);

// The "file:///" address of path, made absolute against currentDirectory: separators become
// '/', blanks "%20" (the one escape the address rules decode); every other byte stays.
// Windows paths are code page 936 text, whose trail bytes may be '\' and are kept as they are.
std::string FileAddressForPath(const std::string& path, const std::string& currentDirectory, PathStyle style);

// The process's current directory, in the style of this build ("" when it can't be read).
std::string CurrentDirectory();

// What the front end reads for one command-line argument: a picture address or any other URL
// as it stands (the address rules refuse the others), a local path as its "file:///" address.
std::string AddressForArgument(const std::string& argument);
