// The module state: class table, lock count, the type information kept for late binding.
#include "atl/atl_module.h"

namespace {

struct AtlModule {
    HINSTANCE instance;
    const AtlObjectMapEntry* classTable;
    size_t classCount;
    GUID libraryId;
    LONG lockCount;                  // only through InterlockedIncrement/Decrement
    ITypeInfo* volatile typeInfo;    // set once, by an interlocked exchange
};

AtlModule module;

}  // namespace

void AtlModuleInit(const AtlObjectMapEntry* classTable, size_t classCount, HINSTANCE instance, REFGUID libraryId)
{
    module.instance = instance;
    module.classTable = classTable;
    module.classCount = classCount;
    module.libraryId = libraryId;
}

void AtlModuleTerm()
{
    // What ATL leaves to an end routine: the class factories are static and need no release.
    if (ITypeInfo* info = static_cast<ITypeInfo*>(InterlockedExchangePointer(
            reinterpret_cast<void* volatile*>(&module.typeInfo), nullptr)))
        info->Release();
}

HINSTANCE AtlModuleInstance() { return module.instance; }

const AtlObjectMapEntry* AtlModuleClassTable(size_t* classCount)
{
    *classCount = module.classCount;
    return module.classTable;
}

HRESULT AtlModuleGetClassObject(REFCLSID classId, REFIID iid, void** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    for (size_t index = 0; index < module.classCount; ++index) {
        if (IsEqualCLSID(classId, *module.classTable[index].classId))
            return module.classTable[index].classFactory->QueryInterface(iid, result);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

void AtlModuleLock() { InterlockedIncrement(&module.lockCount); }

void AtlModuleUnlock() { InterlockedDecrement(&module.lockCount); }

LONG AtlModuleLockCount() { return module.lockCount; }

HRESULT AtlModuleGetTypeInfo(REFIID interfaceId, LCID locale, ITypeInfo** info)
{
    *info = module.typeInfo;
    if (*info)
        return S_OK;
    ITypeLib* library = nullptr;
    HRESULT loaded = LoadRegTypeLib(module.libraryId, 1, 0, locale, &library);
    if (FAILED(loaded))
        return loaded;
    ITypeInfo* found = nullptr;
    loaded = library->GetTypeInfoOfGuid(interfaceId, &found);
    library->Release();
    if (FAILED(loaded))
        return loaded;
    // Two apartments may load at once: the first kept wins, the other's copy goes.
    if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&module.typeInfo), found, nullptr))
        found->Release();
    *info = module.typeInfo;
    return S_OK;
}

HRESULT AtlInternalQueryInterface(void* object, const AtlInterfaceEntry* entries, REFIID iid, void** result)
{
    if (!result)
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
