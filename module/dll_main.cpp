// The DLL entry routine and the class table: one class, View.
#include "atl/atl_module.h"
#include "atl/class_factory.h"
#include "view/view.h"

namespace {

constexpr WORD RegistrarScriptId = 101;  // View's class, ProgIDs and menu item

AtlClassFactory ViewFactory(View::CreateInstance);

const AtlObjectMapEntry ClassTable[] = {
    {&CLSID_View, RegistrarScriptId, &ViewFactory},
};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        AtlModuleInit(ClassTable, sizeof ClassTable / sizeof ClassTable[0], instance, LIBID_ORVANELib);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        AtlModuleTerm();
    }
    return TRUE;  // the load never fails
}
