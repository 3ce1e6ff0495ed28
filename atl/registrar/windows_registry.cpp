// Registry calls for the registrar: UTF-16 names and texts, so that any path arrives as it is.
#include "atl/registrar/windows_registry.h"

#include <windows.h>

#include <climits>
#include <memory>
#include <new>

namespace {

// Keys serve as parents, value holders and for the subkey count alike.
constexpr REGSAM KeyAccess = KEY_READ | KEY_WRITE;

HKEY Handle(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

// UTF-16 takes no more units than UTF-8 takes bytes, so room for length + 1 units always does.
bool ToWide(Utf8Text text, wchar_t* wide, size_t room, int& units)
{
    units = 0;
    if (text.length >= room || text.length > INT_MAX)
        return false;
    if (text.length > 0) {
        units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data, static_cast<int>(text.length), wide,
                                    static_cast<int>(room) - 1);
        if (units <= 0)
            return false;
    }
    wide[units] = L'\0';
    return true;
}

// A terminated name: names are bounded, so it lives on the stack.
struct WideName {
    explicit WideName(Utf8Text name) : isExact(ToWide(name, text, MaximumNameLength + 1, units)) {}
    wchar_t text[MaximumNameLength + 1];
    int units;
    bool isExact;
};

}  // namespace

RegistryKey WindowsRegistry::Root(RegistryRoot root)
{
    return reinterpret_cast<RegistryKey>(root == RegistryRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER);
}

RegistryError WindowsRegistry::CreateKey(RegistryKey parent, Utf8Text name, RegistryKey& key)
{
    WideName wide(name);
    if (!wide.isExact)
        return ERROR_NO_UNICODE_TRANSLATION;
    HKEY created = nullptr;
    LONG error = RegCreateKeyExW(Handle(parent), wide.text, 0, nullptr, REG_OPTION_NON_VOLATILE, KeyAccess, nullptr,
                                 &created, nullptr);
    if (error == ERROR_SUCCESS)
        key = reinterpret_cast<RegistryKey>(created);
    return error;
}

RegistryError WindowsRegistry::OpenKey(RegistryKey parent, Utf8Text name, RegistryKey& key)
{
    WideName wide(name);
    if (!wide.isExact)
        return ERROR_NO_UNICODE_TRANSLATION;
    HKEY opened = nullptr;
    LONG error = RegOpenKeyExW(Handle(parent), wide.text, 0, KeyAccess, &opened);
    if (error == ERROR_SUCCESS)
        key = reinterpret_cast<RegistryKey>(opened);
    return error;
}

void WindowsRegistry::CloseKey(RegistryKey key) { RegCloseKey(Handle(key)); }

RegistryError WindowsRegistry::SetValue(RegistryKey key, Utf8Text name, const RegistryValue& value)
{
    WideName wide(name);
    if (!wide.isExact)
        return ERROR_NO_UNICODE_TRANSLATION;
    const wchar_t* valueName = name.length ? wide.text : nullptr;
    if (value.type == ValueType::Number) {
        DWORD number = value.number;
        return RegSetValueExW(Handle(key), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                              sizeof number);
    }
    // Texts are bounded only by the script: allocated to fit.
    const size_t room = value.text.length + 1;
    std::unique_ptr<wchar_t[]> text(new (std::nothrow) wchar_t[room]);
    if (!text)
        return ERROR_OUTOFMEMORY;
    int units = 0;
    if (!ToWide(value.text, text.get(), room, units))
        return ERROR_NO_UNICODE_TRANSLATION;
    // A string's size is in bytes and counts its terminator.
    return RegSetValueExW(Handle(key), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.get()),
                          static_cast<DWORD>((units + 1) * sizeof(wchar_t)));
}

RegistryError WindowsRegistry::DeleteValue(RegistryKey key, Utf8Text name)
{
    WideName wide(name);
    return wide.isExact ? RegDeleteValueW(Handle(key), wide.text) : ERROR_NO_UNICODE_TRANSLATION;
}

RegistryError WindowsRegistry::HasSubkeys(RegistryKey key, bool& hasSubkeys)
{
    DWORD subkeys = 0;
    LONG error = RegQueryInfoKeyW(Handle(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr);
    hasSubkeys = subkeys > 0;
    return error;
}

RegistryError WindowsRegistry::DeleteKey(RegistryKey parent, Utf8Text name)
{
    WideName wide(name);
    return wide.isExact ? RegDeleteKeyW(Handle(parent), wide.text) : ERROR_NO_UNICODE_TRANSLATION;
}

RegistryError WindowsRegistry::DeleteTree(RegistryKey parent, Utf8Text name)
{
    WideName wide(name);
    return wide.isExact ? RegDeleteTreeW(Handle(parent), wide.text) : ERROR_NO_UNICODE_TRANSLATION;
}
