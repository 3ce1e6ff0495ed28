// Registration of the module's classes and its type library through the exports.
#pragma once

#include "atl/atl_module.h"

// Runs the registrar script of each class of the table, then registers the type library that
// the module carries. The first failure ends the work and is returned; what was written before
// it stays.
HRESULT AtlModuleRegisterServer();
// The reverse: each class's script in unregister mode, then the type library.
HRESULT AtlModuleUnregisterServerEx();
// Runs one registrar script (a "REGISTRY" resource of the module) with "%MODULE%" set to the
// module's path.
HRESULT AtlModuleUpdateRegistryFromResourceD(LPCOLESTR resource, bool doRegister);
