// Late binding: IDispatch handed to IView's type information in the registered library.
#include <windows.h>

#include <oleauto.h>

#include "atl/atl_module.h"
#include "view/view.h"

HRESULT View::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT View::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    ITypeInfo* found = nullptr;
    HRESULT loaded = AtlModuleGetTypeInfo(IID_IView, locale, &found);
    if (FAILED(loaded))
        return loaded;
    found->AddRef();
    *info = found;
    return S_OK;
}

// Names and calls are those of IView alone: an interface id other than IID_NULL is refused.
HRESULT View::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids)
{
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT loaded = AtlModuleGetTypeInfo(IID_IView, locale, &info);
    return FAILED(loaded) ? loaded : info->GetIDsOfNames(names, nameCount, ids);
}

HRESULT View::Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* outcome,
                     EXCEPINFO* exception, UINT* argumentError)
{
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT loaded = AtlModuleGetTypeInfo(IID_IView, locale, &info);
    if (FAILED(loaded))
        return loaded;
    // The type information calls IView's own slots on this object.
    return info->Invoke(static_cast<IView*>(this), member, flags, parameters, outcome, exception, argumentError);
}
