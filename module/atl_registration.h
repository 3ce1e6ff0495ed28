// Registration of the module's classes and its type library through the exports.
#pragma once

#include "module/atl_module.h"

// Runs the registry update of each class of the table (or of classId alone), then, when
// registerTypeLib is set, registers the type library that the module carries.
HRESULT AtlModuleRegisterServer(AtlModule* module, BOOL registerTypeLib, const CLSID* classId);
// The reverse: the classes' registry updates in unregister mode, then the type library.
HRESULT AtlModuleUnregisterServerEx(AtlModule* module, BOOL unregisterTypeLib, const CLSID* classId);
