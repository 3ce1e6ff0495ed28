// The registrar's registry interface over the Windows registry, in this process's own view.
#pragma once

#include "atl/registrar/registry.h"

#include <string>
#include <vector>

// Terminated UTF-16 text; a vector, as std::wstring would link the whole wide string library.
using WideText = std::vector<wchar_t>;

// The registry's own functions take UTF-16: every name and text crosses here, and only here.
// A text that does not convert exactly fails rather than arriving changed.
bool Utf8ToWide(const std::string& utf8, WideText& wide);
bool WideToUtf8(const wchar_t* wide, size_t length, std::string& utf8);

class WindowsRegistry : public Registry {
public:
    RegistryError CreateKey(RegistryRoot root, const std::string& path) override;
    RegistryError SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                           const RegistryValue& value) override;
    RegistryError DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override;
    RegistryError ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names) override;
    RegistryError DeleteKey(RegistryRoot root, const std::string& path) override;
};
