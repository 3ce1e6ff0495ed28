// The system's own words for an error, as the command line prints them (UTF-8).
#pragma once

#include <string>

// The system's text for an errno value, or on Windows for a GetLastError value (from the ANSI
// code page into UTF-8); "error N" where the system has none.
std::string SystemReason(unsigned long error);
