// The address rules restated independently of the reader, for tests and the fuzzer to hold
// ClassifyAddress to.
#pragma once

#include <string>

// At least 10 bytes and one of the four exact, case-sensitive prefixes.
bool IsAcceptableAddress(const std::string& address);

// What an accepted address becomes: a "file:///" address turns into a local path ('/' to '\',
// "%20" to a blank), the others stay as they are.
std::string RewrittenAddress(const std::string& address);
