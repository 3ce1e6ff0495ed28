// The four exports through which COM and the registration tools reach the module.
#include "atl/atl_module.h"
#include "atl/atl_registration.h"

STDAPI DllCanUnloadNow()
{
    return AtlModuleLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* result)
{
    return AtlModuleGetClassObject(classId, iid, result);
}

STDAPI DllRegisterServer()
{
    return AtlModuleRegisterServer();
}

STDAPI DllUnregisterServer()
{
    return AtlModuleUnregisterServerEx();
}
