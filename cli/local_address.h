// Command-line arguments: addresses, read by the address rules, and local paths, read as they
// stand; and the form in which the dialog would show a path.
#pragma once

#include <string>

enum class PathStyle { Posix, Windows };

#ifdef _WIN32
constexpr PathStyle NativePathStyle = PathStyle::Windows;
#else
constexpr PathStyle NativePathStyle = PathStyle::Posix;
#endif

// True when the argument begins like a URL of any scheme ("xyz://"). The scheme needs two
// characters at least, so that a drive letter never counts as one.
bool LooksLikeUrl(const std::string& argument);

// What the properties dialog shows and saves for a local path: the path made absolute against
// currentDirectory, every separator a backslash, and natively without its leading '/' (the form
// that the address rules give "file:///home/u/a.jpg"). Nothing is decoded: it is the path the
// user named. Windows paths are code page 936 text, whose trail bytes may be a backslash or a slash.
std::string DialogFormOfPath(const std::string& path, const std::string& currentDirectory, PathStyle style);

// The process's current directory, in the style of this build ("" when it can't be read).
std::string CurrentDirectory();

// True for an argument that the address rules read: a picture address, or any other URL (which
// they refuse). Every other argument is a local path.
bool IsAddressArgument(const std::string& argument);

// A local path as the back end for local paths opens it: natively the name's own bytes, on
// Windows the ANSI code page's text as UTF-8 ("" when it cannot be converted).
std::string PathForReading(const std::string& path);
