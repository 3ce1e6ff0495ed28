// Puts a whole file in place in one step, as the dialog's save does: the old file stays as it
// was until the new one is complete.
#pragma once

#include <string>

// Writes bytes into a new file beside path, flushes it to the disk and renames it over path.
// Answers "" when path holds exactly bytes, else the system's reason; then path is unchanged and
// nothing is left beside it. A file that is replaced keeps its permissions.
std::string ReplaceWholeFile(const std::string& path, const std::string& bytes);
