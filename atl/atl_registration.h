// Registration of the module's classes and its type library through the exports.
#pragma once

#include "atl/atl_module.h"
#include "atl/registrar/registry_update.h"

// ATL's extra "%key%" replacements; the module's script needs none, so none are taken.
struct AtlRegMapEntry;

// Runs the registry update of each class of the table (or of classId alone), then, when
// registerTypeLib is set, registers the type library that the module carries. The first
// failure ends the work and is returned; what was written before it stays.
HRESULT AtlModuleRegisterServer(AtlModule* module, BOOL registerTypeLib, const CLSID* classId);
// The reverse: the classes' registry updates in unregister mode, then the type library.
HRESULT AtlModuleUnregisterServerEx(AtlModule* module, BOOL unregisterTypeLib, const CLSID* classId);
// Runs the module's registrar script (a "REGISTRY" resource) with "%MODULE%" set to the module's
// path. The module's own registrar is the only one: a registrar or extra replacements passed in
// are refused with E_NOTIMPL.
HRESULT AtlModuleUpdateRegistryFromResourceD(AtlModule* module, LPCOLESTR resource, BOOL doRegister,
                                             const AtlRegMapEntry* replacements, IUnknown* registrar);
