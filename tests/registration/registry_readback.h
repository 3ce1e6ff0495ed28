// Reading the real registry back for the registration tests: keys, counts, value types and bytes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct KeyShape {
    HKEY root;
    std::string path;
    DWORD subkeys;
    DWORD values;
};

struct ValueBytes {
    HKEY root;
    std::string path;
    const char* name;  // nullptr: the default value
    DWORD type;
    std::string bytes;  // REG_SZ with its terminator
};

bool KeyExists(HKEY root, const std::string& path);
// "" when the key is there with exactly that many subkeys and values, else what differs.
std::string CheckKeyShape(const KeyShape& shape);
std::string CheckValue(const ValueBytes& value);
// The names of a key's subkeys as the ANSI functions give them.
std::vector<std::string> SubkeyNames(HKEY root, const std::string& path);
std::vector<std::wstring> SubkeyNamesW(HKEY root, const std::wstring& path);

std::string StringBytes(const std::string& text);  // with the terminator
std::string NumberBytes(DWORD number);
