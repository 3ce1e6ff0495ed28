// Registration: each class's registry update, and the type library carried as "TYPELIB" 1.
#include "atl/atl_registration.h"

namespace {

HRESULT UpdateClasses(AtlModule* module, BOOL doRegister, const CLSID* classId)
{
    for (AtlObjectMapEntry* entry = module->objectMap; entry && entry->classId; ++entry) {
        if (classId && !IsEqualCLSID(*classId, *entry->classId))
            continue;
        if (!entry->updateRegistry)
            continue;
        HRESULT updated = entry->updateRegistry(doRegister);
        if (FAILED(updated))
            return updated;
    }
    return S_OK;
}

}  // namespace

HRESULT AtlModuleRegisterServer(AtlModule* module, BOOL registerTypeLib, const CLSID* classId)
{
    if (!module)
        return E_INVALIDARG;
    HRESULT updated = UpdateClasses(module, TRUE, classId);
    if (FAILED(updated) || !registerTypeLib)
        return updated;
    return RegisterModuleTypeLibrary(module->typeLibInstance);
}

HRESULT AtlModuleUnregisterServerEx(AtlModule* module, BOOL unregisterTypeLib, const CLSID* classId)
{
    if (!module)
        return E_INVALIDARG;
    HRESULT updated = UpdateClasses(module, FALSE, classId);
    if (FAILED(updated) || !unregisterTypeLib)
        return updated;
    return UnregisterModuleTypeLibrary(module->typeLibInstance);
}

HRESULT AtlModuleUpdateRegistryFromResourceD(AtlModule* module, LPCOLESTR resource, BOOL doRegister,
                                             const AtlRegMapEntry* replacements, IUnknown* registrar)
{
    if (!module)
        return E_INVALIDARG;
    if (registrar || replacements)
        return E_NOTIMPL;
    return UpdateRegistryFromModuleScript(module->resourceInstance, resource, doRegister != FALSE);
}
