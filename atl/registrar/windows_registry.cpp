// Registry calls for the registrar: ANSI names, so the script's code page 936 bytes arrive as written.
#include "atl/registrar/windows_registry.h"

#include <windows.h>

namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER; }

// Key names are at most 255 characters, so 510 bytes in a double-byte code page.
constexpr DWORD KeyNameBytes = 512;

class OpenKey {
public:
    OpenKey(RegistryRoot root, const std::string& path, REGSAM access)
        : error_(RegOpenKeyExA(RootKey(root), path.c_str(), 0, access, &key_)) {}
    ~OpenKey()
    {
        if (error_ == ERROR_SUCCESS)
            RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    LONG Error() const { return error_; }
    HKEY Handle() const { return key_; }

private:
    HKEY key_ = nullptr;
    LONG error_;
};

}  // namespace

RegistryError WindowsRegistry::CreateKey(RegistryRoot root, const std::string& path)
{
    HKEY key = nullptr;
    LONG error = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                 nullptr, &key, nullptr);
    if (error == ERROR_SUCCESS)
        RegCloseKey(key);
    return error;
}

RegistryError WindowsRegistry::SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                                        const RegistryValue& value)
{
    OpenKey key(root, path, KEY_SET_VALUE);
    if (key.Error() != ERROR_SUCCESS)
        return key.Error();
    const char* valueName = name.empty() ? nullptr : name.c_str();
    if (value.type == ValueType::Number) {
        DWORD number = value.number;
        return RegSetValueExA(key.Handle(), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                              sizeof number);
    }
    // A string's size counts its terminator.
    return RegSetValueExA(key.Handle(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                          static_cast<DWORD>(value.text.size() + 1));
}

RegistryError WindowsRegistry::DeleteValue(RegistryRoot root, const std::string& path, const std::string& name)
{
    OpenKey key(root, path, KEY_SET_VALUE);
    if (key.Error() != ERROR_SUCCESS)
        return key.Error();
    return RegDeleteValueA(key.Handle(), name.c_str());
}

RegistryError WindowsRegistry::ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    OpenKey key(root, path, KEY_ENUMERATE_SUB_KEYS);
    if (key.Error() != ERROR_SUCCESS)
        return key.Error();
    for (DWORD index = 0;; ++index) {
        char name[KeyNameBytes];
        DWORD length = KeyNameBytes;
        LONG error = RegEnumKeyExA(key.Handle(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (error != ERROR_SUCCESS)
            return error;
        names.emplace_back(name, length);
    }
}

RegistryError WindowsRegistry::DeleteKey(RegistryRoot root, const std::string& path)
{
    return RegDeleteKeyA(RootKey(root), path.c_str());
}
