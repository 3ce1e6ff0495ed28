// Texts of the native build: the built-in table, converted to code page 936; no module needed.
#include "backends/module_text.h"

#include "resources/text_table.h"

int LoadModuleText(Handle, TextId id, char* buffer, int size) { return LoadTextCp936(id, buffer, size); }
