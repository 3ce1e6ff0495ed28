// The standard class factory: one static object per class, around the class's instance creator.
#pragma once

#include "atl/atl_module.h"

// Makes an object of a class (plain, or aggregated when outer is given) and asks it for iid.
using AtlCreatorFunc = HRESULT (*)(IUnknown* outer, REFIID iid, void** result);

// Lives as long as the module, so it has no count of its own: a client's reference is a lock
// on the module, like a LockServer lock.
class AtlClassFactory final : public IClassFactory {
public:
    explicit AtlClassFactory(AtlCreatorFunc create) : createInstance(create) {}
    AtlClassFactory(const AtlClassFactory&) = delete;
    AtlClassFactory& operator=(const AtlClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // E_POINTER for a null place; CLASS_E_NOAGGREGATION for an outer object with any iid but
    // IUnknown; otherwise the creator's answer.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override;
    // FALSE without a matching TRUE answers E_UNEXPECTED and changes nothing.
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    AtlCreatorFunc createInstance;
    volatile LONG serverLocks = 0;  // LockServer(TRUE) calls not yet matched
};
