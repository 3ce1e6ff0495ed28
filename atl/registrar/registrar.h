// The registrar: reads the module's registrar script and runs it against a registry.
#pragma once

#include "atl/registrar/registry.h"

#include <cstddef>
#include <string>
#include <vector>

enum class KeyMarking { None, ForceRemove, NoRemove };

struct ScriptNamedValue {
    std::string name;
    RegistryValue value;
};

struct ScriptKey {
    KeyMarking marking = KeyMarking::None;
    std::string name;
    bool hasDefault = false;
    RegistryValue defaultValue;
    std::vector<ScriptNamedValue> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
    RegistryRoot root = RegistryRoot::ClassesRoot;
    std::vector<ScriptKey> keys;
};

struct RegistryScript {
    std::vector<ScriptRoot> roots;
};

// Turns code page 936 text into UTF-8; false when the bytes are no text of that code page.
// The script's texts go through it once each; the module gets the system's converter, the
// tests the project's own.
using Cp936Decoder = bool (*)(const char* text, size_t length, std::string& utf8);

// Reads the script, code page 936 text with only the grammar the module's script uses:
//
//   script := (("HKCR" | "HKCU") "{" key* "}")*
//   key    := ["ForceRemove" | "NoRemove"] name ["=" value] ["{" ("val" name "=" value | key)* "}"]
//   value  := "s" quoted | "d" quoted         (d: a decimal 32-bit number)
//   name   := word | quoted                   word: ASCII letters, digits, '.', '_', '-',
//                                             or such a run in braces (a class id)
//   quoted := '...' with '' for one quote; "%MODULE%" in it stands for modulePath (UTF-8)
//
// Tokens stand between blanks. On a refusal, error is "line N: why" and script is left empty.
bool ParseRegistryScript(const char* text, size_t length, const std::string& modulePath, Cp936Decoder decode,
                         RegistryScript& script, std::string& error);

enum class RegistrarMode { Register, Unregister };

struct RegistrarOutcome {
    enum class Kind { Done, ScriptRefused, RegistryFailed };
    Kind kind = Kind::Done;
    RegistryError error = RegistryOk;  // RegistryFailed: the first failing call's code
    std::string message;               // what failed, for people
};

// Reads the script, then runs it; a refused script touches nothing.
// Register: each key is created in script order (a ForceRemove key is first deleted with
// everything below it), then its default value, its named values and its subkeys are written.
// Unregister: the script's named values are deleted, and its keys from the leaves upward, except
// NoRemove keys and keys that still have subkeys the script does not list; what is already
// gone is no failure. Either mode stops at the first failure and leaves what it has done.
RegistrarOutcome UpdateRegistryFromScript(const char* text, size_t length, const std::string& modulePath,
                                          Cp936Decoder decode, Registry& registry, RegistrarMode mode);
