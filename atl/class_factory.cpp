// The standard class factory: creation rules, and every reference or lock a module lock.
#include "atl/class_factory.h"

HRESULT AtlClassFactory::QueryInterface(REFIID iid, void** result)
{
    static const AtlInterfaceEntry interfaces[] = {{&IID_IClassFactory, 0}, {nullptr, 0}};
    return AtlInternalQueryInterface(this, interfaces, iid, result);
}

// The counts say only that the object lives on; it is never freed.
ULONG AtlClassFactory::AddRef()
{
    AtlModuleLock();
    return 2;
}

ULONG AtlClassFactory::Release()
{
    AtlModuleUnlock();
    return 1;
}

HRESULT AtlClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    // An aggregate can only be given the inner object's own IUnknown.
    if (outer && !IsEqualIID(iid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    return createInstance(outer, iid, result);
}

HRESULT AtlClassFactory::LockServer(BOOL lock)
{
    if (lock) {
        InterlockedIncrement(&serverLocks);
        AtlModuleLock();
        return S_OK;
    }
    // An unmatched unlock would take a lock that a live object or a client reference holds,
    // and let the module unload under it: refused as a call out of order.
    for (LONG held = serverLocks; held > 0; held = serverLocks) {
        if (InterlockedCompareExchange(&serverLocks, held - 1, held) == held) {
            AtlModuleUnlock();
            return S_OK;
        }
    }
    return E_UNEXPECTED;
}
