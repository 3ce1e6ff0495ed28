// Loading a text of the string table by id: the back-end service behind Platform::loadText.
#pragma once

#include "record/platform.h"

// LoadStringA semantics: the module's resource on Windows, the built-in table natively.
int LoadModuleText(Handle module, TextId id, char* buffer, int size);
