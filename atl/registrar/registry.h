// The registry as the registrar sees it: keys by path below a root, string and number values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class RegistryRoot { ClassesRoot, CurrentUser };

enum class ValueType { String, Number };

// Names, paths and texts are UTF-8, so that a value can hold any path the module lies in.
struct RegistryValue {
    ValueType type = ValueType::String;
    std::string text;      // String: without its terminator
    uint32_t number = 0;   // Number: a 32-bit value
};

// The system's error codes, so that the Windows side passes them on unchanged; 0 is success.
using RegistryError = long;
constexpr RegistryError RegistryOk = 0;
constexpr RegistryError RegistryNotFound = 2;  // a key or value that is not there

// Paths are key names joined by '\' below the root; no key name holds a '\' of its own.
class Registry {
public:
    virtual ~Registry() = default;
    // Creates the key and any missing parents; an existing key is kept as it is.
    virtual RegistryError CreateKey(RegistryRoot root, const std::string& path) = 0;
    // The empty name is the key's default value.
    virtual RegistryError SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                                   const RegistryValue& value) = 0;
    virtual RegistryError DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) = 0;
    // The names of the key's direct subkeys; RegistryNotFound when the key is not there.
    virtual RegistryError ListSubkeys(RegistryRoot root, const std::string& path,
                                      std::vector<std::string>& names) = 0;
    // Deletes a key that has no subkeys, with its values.
    virtual RegistryError DeleteKey(RegistryRoot root, const std::string& path) = 0;
};
