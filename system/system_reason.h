// The system's own words for an error code: one way for the dialogs' failure boxes and the
// command line's messages.
#pragma once

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#endif

// Writes the system's text for error into text (size > 0 bytes), without its line end and
// always terminated, and answers its length: 0 when the system has none. error is an errno value
// natively, a GetLastError value on Windows, whose text is in the ANSI code page.
size_t SystemReasonText(unsigned long error, char* text, size_t size);

#ifdef _WIN32
// The calling thread's last error, never 0: a failure must not read as success.
DWORD LastFailure();
#endif
