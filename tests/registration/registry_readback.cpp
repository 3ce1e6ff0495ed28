// Registry read-back for the registration tests.
#include "registry_readback.h"

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string CheckKeyShape(const KeyShape& shape)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(shape.root, shape.path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return shape.path + ": missing";
    DWORD subkeys = 0;
    DWORD values = 0;
    LONG error = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                  nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS)
        return shape.path + ": unreadable";
    if (subkeys != shape.subkeys || values != shape.values)
        return shape.path + ": " + std::to_string(subkeys) + " subkeys and " + std::to_string(values) + " values";
    return "";
}

std::string CheckValue(const ValueBytes& value)
{
    std::string where = value.path + "\\" + (value.name ? value.name : "@");
    HKEY key = nullptr;
    if (RegOpenKeyExA(value.root, value.path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return where + ": key missing";
    char bytes[1024];
    DWORD size = sizeof bytes;
    DWORD type = REG_NONE;
    LONG error = RegQueryValueExA(key, value.name, nullptr, &type, reinterpret_cast<BYTE*>(bytes), &size);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS)
        return where + ": value missing";
    if (type != value.type)
        return where + ": type " + std::to_string(type);
    if (std::string(bytes, size) != value.bytes)
        return where + ": bytes '" + std::string(bytes, size) + "'";
    return "";
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& path)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    char name[512];
    DWORD length = sizeof name;
    for (DWORD index = 0; RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, length = sizeof name)
        names.emplace_back(name, length);
    RegCloseKey(key);
    return names;
}

std::vector<std::wstring> SubkeyNamesW(HKEY root, const std::wstring& path)
{
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    DWORD length = 256;
    for (DWORD index = 0; RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, length = 256)
        names.emplace_back(name, length);
    RegCloseKey(key);
    return names;
}

std::string StringBytes(const std::string& text) { return text + '\0'; }

std::string NumberBytes(DWORD number) { return std::string(reinterpret_cast<const char*>(&number), sizeof number); }
