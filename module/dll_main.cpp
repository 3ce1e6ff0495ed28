// The DLL entry routine and the class table: one class, View.
#include "atl/atl_module.h"
#include "atl/atl_registration.h"
#include "atl/class_factory.h"
#include "view/view.h"

namespace {

constexpr int RegistrarScriptId = 101;

// View's entries (class, ProgIDs, menu item) are those of the registrar script.
HRESULT UpdateViewRegistry(BOOL doRegister)
{
    return AtlModuleUpdateRegistryFromResourceD(&ModuleState(), MAKEINTRESOURCEW(RegistrarScriptId), doRegister,
                                                nullptr, nullptr);
}

AtlObjectMapEntry ClassTable[] = {
    {&CLSID_View, UpdateViewRegistry, CreateClassFactory, View::CreateInstance, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        AtlModuleInit(&ModuleState(), ClassTable, instance);
        ModuleState().libraryId = LIBID_ORVANELib;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        AtlModuleTerm(&ModuleState());
    }
    return TRUE;  // the load never fails
}
