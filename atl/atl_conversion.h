// Text between wide and 8-bit forms, as ATL's conversion helpers give it to and from 8-bit
// calls: to the ANSI code page or UTF-8, and from the ANSI code page.
#pragma once

#include <windows.h>

#include <memory>

using AnsiText = std::unique_ptr<char[]>;

// The ANSI form of text: its length characters and the terminator behind them, converted with
// flags 0 (the code page's default character for what it lacks) into 2 bytes per character
// plus 2, room for any result in a single- or double-byte code page. A null text gives a null
// copy. E_OUTOFMEMORY when no copy can be had, also one whose size would not fit the
// conversion's int; the system's error when the conversion fails. Nothing is read before the
// size is known to fit.
HRESULT WideToAnsi(const WCHAR* text, UINT length, AnsiText& copy);

// The UTF-8 form of text, exactly: 3 bytes per character plus 1 of room. A text that has none
// (an unpaired surrogate) fails with the system's error, never with a stand-in character that
// could name another file. A null text gives a null copy.
HRESULT WideToUtf8(const WCHAR* text, UINT length, AnsiText& copy);

using WideCopy = std::unique_ptr<WCHAR[]>;

// The wide form of ANSI text and its terminator, converted with flags 0. No ANSI character
// takes less than a byte, so the byte length plus one is always room enough. A null text gives
// a null copy; E_OUTOFMEMORY when no copy can be had; the system's error when the conversion
// fails.
HRESULT AnsiToWide(const char* text, WideCopy& copy);
