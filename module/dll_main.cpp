// The DLL entry routine and the class table: one class, View.
#include "module/atl_module.h"
#include "module/class_factory.h"
#include "view/view.h"

namespace {

// View's registry update is the registrar script's job; until the module carries one, the
// class table asks for no update and registration writes the type library alone.
AtlObjectMapEntry ClassTable[] = {
    {&CLSID_View, nullptr, CreateClassFactory, View::CreateInstance, nullptr},
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
