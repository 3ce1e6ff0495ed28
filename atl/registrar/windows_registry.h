// The registrar's registry interface over the Windows registry, in this process's own view.
#pragma once

#include "atl/registrar/registry.h"

class WindowsRegistry : public Registry {
public:
    RegistryError CreateKey(RegistryRoot root, const std::string& path) override;
    RegistryError SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                           const RegistryValue& value) override;
    RegistryError DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override;
    RegistryError ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names) override;
    RegistryError DeleteKey(RegistryRoot root, const std::string& path) override;
};
