// The readers Orvane is measured against, each filling the same kind of 64-byte texts from
// the same tags, and the machine's floor for touching a file at all.
#pragma once

#include <string>

constexpr int PeerTagCount = 39;   // the standard IFD0 and Exif IFD tags that Orvane shows
constexpr int PeerTextSize = 64;

using PeerTexts = char[PeerTagCount][PeerTextSize];

// Each returns how many of the tags the file had (each one's text in `texts`), or -1 when the
// library refused the file.
int ReadWithExiv2(const std::string& path, PeerTexts& texts);
int ReadWithLibexif(const std::string& path, PeerTexts& texts);

// Open, one read of the first 64 KiB, close: the least any reader of a local file must do.
// Returns the byte count of that read, or -1 when the file could not be opened.
long ReadFirstBlock(const std::string& path);

// Silences the peers' own warnings about odd files; call once before measuring.
void QuietenPeers();
