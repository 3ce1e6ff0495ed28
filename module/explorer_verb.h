// The opt-in verb that Windows Explorer offers on JPEG files, kept per user.
#pragma once

#include <windows.h>

// The module lies where the verb's command cannot name it, by its path or its short form: a
// comma, or '%' before a digit, in both. regsvr32 reports the code, 0x800700A1, whose system
// text reads "The specified path is invalid."
constexpr HRESULT ExplorerVerbPathUnusable = HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);

// Writes the verb for every JPEG extension below HKCU\Software\Classes\SystemFileAssociations;
// writes nothing when the command cannot name the module (ExplorerVerbPathUnusable).
HRESULT AddExplorerVerb();
// Deletes the verb of each extension whose command is still this module's, whichever of its
// paths (long or short) the command names; S_OK when none is.
HRESULT RemoveExplorerVerb();
