// The thread's error information for tests: reading it, and clearing it before a call so that
// a report is seen to set it anew.
#pragma once

#include "view/error_info.h"

inline void ClearThreadErrorInfo() { SetThreadErrorText(nullptr); }
