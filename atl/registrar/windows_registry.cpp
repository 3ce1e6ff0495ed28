// Registry calls for the registrar: UTF-16 names and texts, so that any path arrives as it is.
#include "atl/registrar/windows_registry.h"

#include <windows.h>

#include <climits>

namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER; }

// Key names are at most 255 characters.
constexpr DWORD KeyNameLength = 256;

class OpenKey {
public:
    OpenKey(RegistryRoot root, const std::string& path, REGSAM access)
    {
        WideText widePath;
        error_ = Utf8ToWide(path, widePath) ? RegOpenKeyExW(RootKey(root), widePath.data(), 0, access, &key_)
                                            : ERROR_NO_UNICODE_TRANSLATION;
    }
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

bool Utf8ToWide(const std::string& utf8, WideText& wide)
{
    wide.assign(1, L'\0');
    if (utf8.empty())
        return true;
    if (utf8.size() > INT_MAX / 2)
        return false;
    int size = static_cast<int>(utf8.size());
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0)
        return false;
    wide.assign(static_cast<size_t>(length) + 1, L'\0');
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length) == length;
}

bool WideToUtf8(const wchar_t* wide, size_t length, std::string& utf8)
{
    utf8.clear();
    if (length == 0)
        return true;
    if (length > INT_MAX / 3)
        return false;
    int count = static_cast<int>(length);
    // An unpaired surrogate has no UTF-8: refused, where the default would write U+FFFD.
    int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return false;
    utf8.resize(static_cast<size_t>(size));
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, count, &utf8[0], size, nullptr, nullptr) == size;
}

RegistryError WindowsRegistry::CreateKey(RegistryRoot root, const std::string& path)
{
    WideText widePath;
    if (!Utf8ToWide(path, widePath))
        return ERROR_NO_UNICODE_TRANSLATION;
    HKEY key = nullptr;
    LONG error = RegCreateKeyExW(RootKey(root), widePath.data(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                 nullptr, &key, nullptr);
    if (error == ERROR_SUCCESS)
        RegCloseKey(key);
    return error;
}

RegistryError WindowsRegistry::SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                                        const RegistryValue& value)
{
    WideText wideName;
    WideText text;
    if (!Utf8ToWide(name, wideName) || !Utf8ToWide(value.text, text))
        return ERROR_NO_UNICODE_TRANSLATION;
    OpenKey key(root, path, KEY_SET_VALUE);
    if (key.Error() != ERROR_SUCCESS)
        return key.Error();
    const wchar_t* valueName = name.empty() ? nullptr : wideName.data();
    if (value.type == ValueType::Number) {
        DWORD number = value.number;
        return RegSetValueExW(key.Handle(), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                              sizeof number);
    }
    // A string's size is in bytes and counts its terminator.
    return RegSetValueExW(key.Handle(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

RegistryError WindowsRegistry::DeleteValue(RegistryRoot root, const std::string& path, const std::string& name)
{
    WideText wideName;
    if (!Utf8ToWide(name, wideName))
        return ERROR_NO_UNICODE_TRANSLATION;
    OpenKey key(root, path, KEY_SET_VALUE);
    if (key.Error() != ERROR_SUCCESS)
        return key.Error();
    return RegDeleteValueW(key.Handle(), wideName.data());
}

RegistryError WindowsRegistry::ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    OpenKey key(root, path, KEY_ENUMERATE_SUB_KEYS);
    if (key.Error() != ERROR_SUCCESS)
        return key.Error();
    for (DWORD index = 0;; ++index) {
        wchar_t name[KeyNameLength];
        DWORD length = KeyNameLength;
        LONG error = RegEnumKeyExW(key.Handle(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (error != ERROR_SUCCESS)
            return error;
        names.emplace_back();
        if (!WideToUtf8(name, length, names.back()))
            return ERROR_NO_UNICODE_TRANSLATION;
    }
}

RegistryError WindowsRegistry::DeleteKey(RegistryRoot root, const std::string& path)
{
    WideText widePath;
    if (!Utf8ToWide(path, widePath))
        return ERROR_NO_UNICODE_TRANSLATION;
    return RegDeleteKeyW(RootKey(root), widePath.data());
}
