// The registry entries that registering the module must leave, for a given module path.
#pragma once

#include "registry_readback.h"

#include <string>
#include <vector>

extern const std::string ClassKey;       // CLSID\{class id of View}, below HKEY_CLASSES_ROOT
extern const std::string MenuExtKey;     // below HKEY_CURRENT_USER
extern const std::string MenuTextBytes;  // the menu item's key name in code page 936
extern const std::wstring MenuTextWide;

std::vector<KeyShape> RegisteredKeys();
std::vector<ValueBytes> RegisteredValues(const std::string& modulePath);
// Gone after unregistration (kept keys are not listed).
std::vector<std::pair<HKEY, std::string>> RemovedKeys();
std::vector<std::pair<HKEY, std::string>> KeptKeys();
