// A registrar script read into keys and values, and the reader of its text.
#pragma once

#include "atl/registrar/registry.h"

#include <cstddef>
#include <string>
#include <utility>
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

// Names such as "MODULE" and what "%MODULE%" in a name or value stands for.
using Replacements = std::vector<std::pair<std::string, std::string>>;

// Reads the whole script; replacements are made inside each name and quoted text after it is
// read, so a replacement holding a quote or a brace cannot change the script's shape.
// On a refusal, error says where and why, and script is left empty.
//
//   script := root*                  root := ("HKCR" | "HKCU" | full names) "{" key* "}"
//   key    := ["ForceRemove" | "NoRemove"] name ["=" value] ["{" ("val" name "=" value | key)* "}"]
//   value  := "s" quoted | "d" quoted      (d: decimal, or hexadecimal after 0x, 32 bits)
//   name   := word | quoted                quoted := '...' with '' for one quote
//
// The text is code page 936: a trail byte is never read as a brace, quote or backslash.
bool ParseRegistryScript(const char* text, size_t length, const Replacements& replacements,
                         RegistryScript& script, std::string& error);
