// Putting new bytes in place of a file in one step: the old file stays as it was until the new
// one is complete, and a file that is not a plain file of its user's is never touched.
#pragma once

#include <cstddef>

// Why a path was left alone before anything was written.
enum class ReplaceRefusal {
    None,
    Folder,
    Fifo,
    Device,
    Socket,
    LinkToNothing,  // a symbolic link whose file does not exist
};

struct ReplaceOutcome {
    ReplaceRefusal refusal = ReplaceRefusal::None;
    unsigned long error = 0;  // the system's error (errno, or GetLastError on Windows); 0 when none
    bool IsReplaced() const { return refusal == ReplaceRefusal::None && error == 0; }
};

// Writes bytes into a new file beside the file that path names, flushes it to the disk and puts it
// in that file's place. Natively a symbolic link stays a link and the file it names is replaced,
// keeping its permissions, and its owner and group where this user may give them; a file its user may not write is refused with EACCES, and a file size
// limit ends in EFBIG rather than in a signal. When the outcome is not IsReplaced(), the file is
// as it was and nothing is left beside it.
ReplaceOutcome ReplaceWholeFile(const char* path, const char* bytes, size_t length);
