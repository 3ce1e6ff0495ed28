// The standard class factory: its reference count under its own lock, locks on the module.
#include "atl/class_factory.h"

#include <new>

namespace {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(AtlCreatorFunc create) : createInstance(create)
    {
        InitializeCriticalSection(&referenceLock);
    }
    ~ClassFactory() { DeleteCriticalSection(&referenceLock); }
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override
    {
        static const AtlInterfaceEntry interfaces[] = {{&IID_IClassFactory, 0}, {nullptr, 0}};
        return AtlInternalQueryInterface(this, interfaces, iid, result);
    }

    // The module's cache holds the first reference; a client's reference beyond it keeps
    // the module loaded.
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        EnterCriticalSection(&referenceLock);
        ULONG count = ++referenceCount;
        if (count == 2)
            AtlModuleLock(&ModuleState());
        LeaveCriticalSection(&referenceLock);
        return count;
    }

    ULONG STDMETHODCALLTYPE Release() override
    {
        EnterCriticalSection(&referenceLock);
        ULONG count = --referenceCount;
        if (count == 1)
            AtlModuleUnlock(&ModuleState());
        LeaveCriticalSection(&referenceLock);
        if (count == 0)
            delete this;
        return count;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override
    {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        // An aggregate can only be given the inner object's own IUnknown.
        if (outer && !IsEqualIID(iid, IID_IUnknown))
            return CLASS_E_NOAGGREGATION;
        return createInstance(outer, iid, result);
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            AtlModuleLock(&ModuleState());
        else
            AtlModuleUnlock(&ModuleState());
        return S_OK;
    }

private:
    AtlCreatorFunc createInstance;
    CRITICAL_SECTION referenceLock;
    ULONG referenceCount = 0;
};

}  // namespace

HRESULT CreateClassFactory(AtlCreatorFunc createInstance, REFIID iid, void** result)
{
    *result = nullptr;
    ClassFactory* factory = new (std::nothrow) ClassFactory(createInstance);
    if (!factory)
        return E_OUTOFMEMORY;
    HRESULT found = factory->QueryInterface(iid, result);
    if (FAILED(found))
        delete factory;
    return found;
}
