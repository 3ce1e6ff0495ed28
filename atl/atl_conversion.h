// Wide text in the ANSI code page, as ATL's conversion helpers give it to 8-bit calls.
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
