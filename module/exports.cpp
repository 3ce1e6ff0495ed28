// The exports through which COM and the registration tools reach the module.
#include "atl/atl_module.h"
#include "atl/atl_registration.h"
#include "module/explorer_verb.h"

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
    // Plain regsvr32 /u takes back the Explorer verb too, where it still points at this module.
    const HRESULT verbRemoved = RemoveExplorerVerb();
    const HRESULT unregistered = AtlModuleUnregisterServerEx();
    return FAILED(unregistered) ? unregistered : verbRemoved;
}
