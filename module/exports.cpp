// The four exports through which COM and the registration tools reach the module.
#include "atl/atl_module.h"
#include "atl/atl_registration.h"
#include "module/explorer_verb.h"

// Only reads a count: the one export with nothing in it that could throw.
STDAPI DllCanUnloadNow()
{
    return AtlModuleLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* result)
{
    return CatchAsHresult([&] { return AtlModuleGetClassObject(classId, iid, result); });
}

STDAPI DllRegisterServer()
{
    return CatchAsHresult([] { return AtlModuleRegisterServer(); });
}

STDAPI DllUnregisterServer()
{
    // Plain regsvr32 /u takes back the Explorer verb too, where it still points at this module.
    const HRESULT verbRemoved = CatchAsHresult([] { return RemoveExplorerVerb(); });
    const HRESULT unregistered = CatchAsHresult([] { return AtlModuleUnregisterServerEx(); });
    return FAILED(unregistered) ? unregistered : verbRemoved;
}
