// The opt-in verb that Windows Explorer offers on JPEG files, kept per user.
#pragma once

#include <windows.h>

// Writes the verb for every JPEG extension below HKCU\Software\Classes\SystemFileAssociations.
HRESULT AddExplorerVerb();
// Deletes the verb of each extension whose command is still this module's; S_OK when none is.
HRESULT RemoveExplorerVerb();
