// The registrar: reads the module's registrar script and runs it against a registry.
#pragma once

#include "atl/registrar/registry.h"

#include <cstddef>

// Turns code page 936 text into UTF-8; false when the bytes are no text of that code page. The
// registrar hands over whole characters, at most Cp936DecodeRun bytes at a time, with room for
// three bytes of UTF-8 per byte (no character of the code page takes more), so that a decoder
// needs no allocation. The module gets the system's converter, the tests the project's own.
constexpr size_t Cp936DecodeRun = 256;
using Cp936Decoder = bool (*)(const char* text, size_t length, char* utf8, size_t& utf8Length);

// The script is code page 936 text with only the grammar the module's script uses:
//
//   script := (("HKCR" | "HKCU") "{" key* "}")*
//   key    := ["ForceRemove" | "NoRemove"] name ["=" value] ["{" ("val" name "=" value | key)* "}"]
//   value  := "s" quoted | "d" quoted         (d: a decimal 32-bit number)
//   name   := word | quoted                   word: ASCII letters, digits, '.', '_', '-',
//                                             or such a run in braces (a class id)
//   quoted := '...' with '' for one quote; "%MODULE%" in it stands for modulePath (UTF-8)
//
// Tokens stand between blanks. A name is not empty, holds no backslash and takes at most
// MaximumNameLength bytes of UTF-8; keys nest at most 32 deep.

enum class RegistrarMode { Register, Unregister };

struct RegistrarOutcome {
    enum class Kind { Done, ScriptRefused, RegistryFailed, OutOfMemory };
    Kind kind = Kind::Done;
    RegistryError error = RegistryOk;  // RegistryFailed: the first failing call's code
    char message[128] = {};            // "line N: why", for people
};

// Reads the whole script first, then runs it; a refused script touches nothing.
// Register: each key in script order: a ForceRemove key is first deleted with everything below
// it; then the key is created, its default value set, and its block written in script order.
// Unregister: each key's block is undone first (named values deleted, subkeys unregistered), then
// the key is deleted unless it is NoRemove or still has subkeys, which are then other programs'
// or kept ones. What is already gone is no failure. Either mode stops at the first failure and
// leaves what it has done.
RegistrarOutcome UpdateRegistryFromScript(const char* text, size_t length, Utf8Text modulePath, Cp936Decoder decode,
                                          Registry& registry, RegistrarMode mode);
