// The registrar's registry interface over the Windows registry, in this process's own view.
#pragma once

#include "atl/registrar/registry.h"

// The registry's own functions take UTF-16: every name and text crosses here, and only here. A
// text that does not convert exactly fails rather than arriving changed.
class WindowsRegistry : public Registry {
public:
    RegistryKey Root(RegistryRoot root) override;
    RegistryError CreateKey(RegistryKey parent, Utf8Text name, RegistryKey& key) override;
    RegistryError OpenKey(RegistryKey parent, Utf8Text name, RegistryKey& key) override;
    void CloseKey(RegistryKey key) override;
    RegistryError SetValue(RegistryKey key, Utf8Text name, const RegistryValue& value) override;
    RegistryError DeleteValue(RegistryKey key, Utf8Text name) override;
    RegistryError HasSubkeys(RegistryKey key, bool& hasSubkeys) override;
    RegistryError DeleteKey(RegistryKey parent, Utf8Text name) override;
    RegistryError DeleteTree(RegistryKey parent, Utf8Text name) override;
};
