// The registry as the registrar sees it: open keys, their subkeys by name, string and number values.
#pragma once

#include <cstddef>
#include <cstdint>

enum class RegistryRoot { ClassesRoot, CurrentUser };

// Names and texts are UTF-8, so that a value can hold any path the module lies in. Not
// terminated: the length says where a text ends.
struct Utf8Text {
    const char* data;
    size_t length;
};

// A key name is at most 255 UTF-16 units, and no unit takes more than three bytes of UTF-8.
constexpr size_t MaximumNameLength = 765;

enum class ValueType { String, Number };

struct RegistryValue {
    ValueType type;
    Utf8Text text;    // String
    uint32_t number;  // Number: a 32-bit value
};

// The system's error codes, so that the Windows side passes them on unchanged; 0 is success.
using RegistryError = long;
constexpr RegistryError RegistryOk = 0;
constexpr RegistryError RegistryNotFound = 2;  // a key or value that is not there

// A key the registry opened, or one of its roots; NoKey is none.
using RegistryKey = uintptr_t;
constexpr RegistryKey NoKey = 0;

// Names hold no '\': a key is always reached from its parent. A key given out by CreateKey or
// OpenKey (written only on success) stays open until CloseKey; a root is never closed.
class Registry {
public:
    virtual ~Registry() = default;
    virtual RegistryKey Root(RegistryRoot root) = 0;
    // Opens the subkey, making it first when it is not there; an existing key is kept as it is.
    virtual RegistryError CreateKey(RegistryKey parent, Utf8Text name, RegistryKey& key) = 0;
    virtual RegistryError OpenKey(RegistryKey parent, Utf8Text name, RegistryKey& key) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
    // The empty name is the key's default value.
    virtual RegistryError SetValue(RegistryKey key, Utf8Text name, const RegistryValue& value) = 0;
    virtual RegistryError DeleteValue(RegistryKey key, Utf8Text name) = 0;
    virtual RegistryError HasSubkeys(RegistryKey key, bool& hasSubkeys) = 0;
    // Deletes a subkey that has no subkeys of its own, with its values.
    virtual RegistryError DeleteKey(RegistryKey parent, Utf8Text name) = 0;
    // Deletes a subkey with everything below it.
    virtual RegistryError DeleteTree(RegistryKey parent, Utf8Text name) = 0;
};
