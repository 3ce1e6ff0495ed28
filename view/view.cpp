// View's identity: creation, the interface table, reference counts and aggregation.
#include "view/view.h"

#include <new>

#include "atl/atl_module.h"
#include "view/default_platform.h"

namespace {

// IUnknown, IDispatch and IView are all the one IView pointer at the start of the object.
const AtlInterfaceEntry ViewInterfaces[] = {
    {&IID_IView, 0},
    {&IID_IDispatch, 0},
    {nullptr, 0},
};

}  // namespace

View::View(IUnknown* outerUnknown)
    : outer(outerUnknown), inner(*this), record(AtlModuleInstance(), DefaultPlatform())
{
    AtlModuleLock();
}

View::~View() { AtlModuleUnlock(); }

// The class factory has checked result and the aggregation rule.
HRESULT View::CreateInstance(IUnknown* outer, REFIID iid, void** result)
{
    View* object = new (std::nothrow) View(outer);
    if (!object)
        return E_OUTOFMEMORY;
    // The aggregate is handed the inner IUnknown; a plain client any of the three.
    HRESULT found = outer ? object->inner.QueryInterface(iid, result) : object->OwnQueryInterface(iid, result);
    if (FAILED(found))
        delete object;
    return found;
}

HRESULT View::OwnQueryInterface(REFIID iid, void** result)
{
    return AtlInternalQueryInterface(this, ViewInterfaces, iid, result);
}

ULONG View::OwnAddRef() { return ++referenceCount; }

ULONG View::OwnRelease()
{
    ULONG count = --referenceCount;
    if (count == 0)
        delete this;
    return count;
}

HRESULT View::QueryInterface(REFIID iid, void** result)
{
    return outer ? outer->QueryInterface(iid, result) : OwnQueryInterface(iid, result);
}

ULONG View::AddRef() { return outer ? outer->AddRef() : OwnAddRef(); }

ULONG View::Release() { return outer ? outer->Release() : OwnRelease(); }

HRESULT View::InnerUnknown::QueryInterface(REFIID iid, void** result)
{
    if (result && IsEqualIID(iid, IID_IUnknown)) {
        *result = this;
        AddRef();
        return S_OK;
    }
    // IView and IDispatch come back referenced through the aggregate.
    return owner_.OwnQueryInterface(iid, result);
}

ULONG View::InnerUnknown::AddRef() { return owner_.OwnAddRef(); }

ULONG View::InnerUnknown::Release() { return owner_.OwnRelease(); }
