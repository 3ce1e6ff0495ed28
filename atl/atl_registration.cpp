// Registration: each class's registrar script, and the type library carried as "TYPELIB" 1.
#include "atl/atl_registration.h"

#include "atl/registrar/registry_update.h"

namespace {

HRESULT UpdateClasses(bool doRegister)
{
    size_t classCount = 0;
    const AtlObjectMapEntry* classes = AtlModuleClassTable(&classCount);
    for (size_t index = 0; index < classCount; ++index) {
        HRESULT updated =
            AtlModuleUpdateRegistryFromResourceD(MAKEINTRESOURCEW(classes[index].registrarScript), doRegister);
        if (FAILED(updated))
            return updated;
    }
    return S_OK;
}

}  // namespace

HRESULT AtlModuleRegisterServer()
{
    HRESULT updated = UpdateClasses(true);
    return FAILED(updated) ? updated : RegisterModuleTypeLibrary(AtlModuleInstance());
}

HRESULT AtlModuleUnregisterServerEx()
{
    HRESULT updated = UpdateClasses(false);
    return FAILED(updated) ? updated : UnregisterModuleTypeLibrary(AtlModuleInstance());
}

HRESULT AtlModuleUpdateRegistryFromResourceD(LPCOLESTR resource, bool doRegister)
{
    return UpdateRegistryFromModuleScript(AtlModuleInstance(), resource, doRegister);
}
