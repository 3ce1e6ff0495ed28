// The module state: class table and class factory cache, lock count, end routines.
#include "atl/atl_module.h"

#include <new>

AtlModule& ModuleState()
{
    static AtlModule module;
    return module;
}

HRESULT AtlModuleInit(AtlModule* module, AtlObjectMapEntry* objectMap, HINSTANCE instance)
{
    if (!module)
        return E_INVALIDARG;
    module->instance = instance;
    module->resourceInstance = instance;
    module->typeLibInstance = instance;
    module->objectMap = objectMap;
    module->lockCount = 0;
    module->libraryId = GUID_NULL;
    module->termFuncs = nullptr;
    module->windowState = &ModuleWindowState();
    InitializeCriticalSection(&module->objectMapLock);
    InitializeCriticalSection(&module->typeInfoLock);
    InitializeCriticalSection(&module->termFuncLock);
    return S_OK;
}

HRESULT AtlModuleTerm(AtlModule* module)
{
    if (!module)
        return E_INVALIDARG;
    for (AtlObjectMapEntry* entry = module->objectMap; entry && entry->classId; ++entry) {
        if (entry->classFactory)
            entry->classFactory->Release();
        entry->classFactory = nullptr;
    }
    // Each routine is unlinked before it runs, so one that adds another cannot loop forever.
    while (AtlTermFuncElem* element = module->termFuncs) {
        module->termFuncs = element->next;
        element->func(element->argument);
        delete element;
    }
    DeleteCriticalSection(&module->termFuncLock);
    DeleteCriticalSection(&module->typeInfoLock);
    DeleteCriticalSection(&module->objectMapLock);
    return S_OK;
}

HRESULT AtlModuleGetClassObject(AtlModule* module, REFCLSID classId, REFIID iid, void** result)
{
    if (!module || !result)
        return E_POINTER;
    *result = nullptr;
    for (AtlObjectMapEntry* entry = module->objectMap; entry && entry->classId; ++entry) {
        if (!IsEqualCLSID(classId, *entry->classId))
            continue;
        HRESULT made = S_OK;
        EnterCriticalSection(&module->objectMapLock);
        if (!entry->classFactory)
            made = entry->createClassFactory(entry->createInstance, IID_IUnknown,
                                             reinterpret_cast<void**>(&entry->classFactory));
        LeaveCriticalSection(&module->objectMapLock);
        if (!entry->classFactory)
            return FAILED(made) ? made : E_UNEXPECTED;
        return entry->classFactory->QueryInterface(iid, result);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT AtlModuleAddTermFunc(AtlModule* module, AtlTermFunc func, DWORD_PTR argument)
{
    AtlTermFuncElem* element = new (std::nothrow) AtlTermFuncElem{func, argument, nullptr};
    if (!element)
        return E_OUTOFMEMORY;
    EnterCriticalSection(&module->termFuncLock);
    element->next = module->termFuncs;
    module->termFuncs = element;
    LeaveCriticalSection(&module->termFuncLock);
    return S_OK;
}

LONG AtlModuleLock(AtlModule* module) { return InterlockedIncrement(&module->lockCount); }

LONG AtlModuleUnlock(AtlModule* module) { return InterlockedDecrement(&module->lockCount); }

LONG AtlModuleLockCount(const AtlModule* module) { return module->lockCount; }

IUnknown* AtlComPtrAssign(IUnknown** place, IUnknown* value)
{
    // Referencing the new pointer first keeps an assignment of the same pointer alive.
    if (value)
        value->AddRef();
    if (*place)
        (*place)->Release();
    *place = value;
    return value;
}

HRESULT AtlInternalQueryInterface(void* object, const AtlInterfaceEntry* entries, REFIID iid, void** result)
{
    if (!object || !entries || !result)
        return E_POINTER;
    *result = nullptr;
    const bool isUnknown = IsEqualIID(iid, IID_IUnknown);
    for (const AtlInterfaceEntry* entry = entries; entry->iid; ++entry) {
        if (isUnknown || IsEqualIID(iid, *entry->iid)) {
            auto* found = reinterpret_cast<IUnknown*>(static_cast<char*>(object) + entry->offset);
            found->AddRef();
            *result = found;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}
