// Texts from the module's string table resource, in the running code page (936 on the target).
#include <windows.h>

#include "backends/module_text.h"

int LoadModuleText(Handle module, TextId id, char* buffer, int size)
{
    return LoadStringA(static_cast<HINSTANCE>(module), id, buffer, size);
}
