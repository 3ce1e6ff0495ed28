// Wide text in the ANSI code page, as ATL's conversion helpers give it to 8-bit calls, and in
// UTF-8 for the local-path back end.
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
