// The system's own words for an error, as the command line prints them (UTF-8).
#pragma once

#include <string>

// Natively strerror's text for an errno value; on Windows FormatMessage's text for a
// GetLastError value, from the ANSI code page into UTF-8 ("error N" where it has none).
std::string SystemReason(unsigned long error);
