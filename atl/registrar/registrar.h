// Runs a registrar script against a registry, in register or unregister mode.
#pragma once

#include "atl/registrar/registry.h"
#include "atl/registrar/registry_script.h"

#include <string>

enum class RegistrarMode { Register, Unregister };

struct RegistrarOutcome {
    enum class Kind { Done, ScriptRefused, RegistryFailed };
    Kind kind = Kind::Done;
    RegistryError error = RegistryOk;  // RegistryFailed: the first failing call's code
    std::string message;               // what failed, for people
};

// Register: each key is created in script order (a ForceRemove key is first deleted with
// everything below it), then its default value, its named values and its subkeys are written.
// Unregister: the script's named values are deleted, and its keys from the leaves upward, except
// NoRemove keys and keys that still have subkeys the script does not list; what is already
// gone is no failure. Either mode stops at the first failure and leaves what it has done.
RegistrarOutcome RunRegistryScript(const RegistryScript& script, Registry& registry, RegistrarMode mode);

// Reads the script text, then runs it; a refused script touches nothing.
RegistrarOutcome UpdateRegistryFromScript(const char* text, size_t length, const Replacements& replacements,
                                          Registry& registry, RegistrarMode mode);

// Deletes the key with everything below it; a missing key is no failure.
RegistryError DeleteKeyTree(Registry& registry, RegistryRoot root, const std::string& path);
