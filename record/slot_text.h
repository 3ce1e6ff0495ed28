// The only writers of 64-byte texts: every write is cut at 63 bytes and terminated.
#pragma once

#include "record/info_slot.h"

#if defined(__clang__)  // the fuzz build; clang knows no gnu_printf
#define ORVANE_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#elif defined(__GNUC__)
#define ORVANE_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define ORVANE_PRINTF_FORMAT(f, a)
#endif

// Some C runtimes' snprintf family does not terminate on truncation, so these never rely on it.
void SlotCopy(char (&destination)[SlotSize], const char* source);
void SlotFormat(char (&destination)[SlotSize], const char* format, ...) ORVANE_PRINTF_FORMAT(2, 3);
// Formats into a temporary first: the slot may be one of the arguments.
// The slot keeps its text and gets the formatted text added: SlotAppend(slot, " %s", word).
void SlotAppend(char (&destination)[SlotSize], const char* format, ...) ORVANE_PRINTF_FORMAT(2, 3);
inline bool SlotIsEmpty(const char (&slot)[SlotSize]) { return slot[0] == 0; }
