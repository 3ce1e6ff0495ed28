// Late binding: IDispatch served from IView's type information in the registered library.
#include <windows.h>

#include <oleauto.h>

#include "atl/atl_module.h"
#include "view/view.h"

namespace {

// Loaded at the first late-bound call, kept until the module ends.
ITypeInfo* viewTypeInfo = nullptr;

void ReleaseViewTypeInfo(DWORD_PTR)
{
    AtlComPtrAssign(reinterpret_cast<IUnknown**>(&viewTypeInfo), nullptr);
}

// A library that is not registered yet is looked for again at the next call.
HRESULT LoadViewTypeInfo(LCID locale, ITypeInfo** info)
{
    AtlModule& module = ModuleState();
    HRESULT loaded = S_OK;
    EnterCriticalSection(&module.typeInfoLock);
    if (!viewTypeInfo) {
        ITypeLib* library = nullptr;
        loaded = LoadRegTypeLib(module.libraryId, 1, 0, locale, &library);
        if (SUCCEEDED(loaded)) {
            ITypeInfo* found = nullptr;
            loaded = library->GetTypeInfoOfGuid(IID_IView, &found);
            if (SUCCEEDED(loaded)) {
                AtlComPtrAssign(reinterpret_cast<IUnknown**>(&viewTypeInfo), found);
                found->Release();
                AtlModuleAddTermFunc(&module, ReleaseViewTypeInfo, 0);
            }
            library->Release();
        }
    }
    *info = viewTypeInfo;
    LeaveCriticalSection(&module.typeInfoLock);
    return loaded;
}

}  // namespace

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
    HRESULT loaded = LoadViewTypeInfo(locale, &found);
    if (FAILED(loaded))
        return loaded;
    found->AddRef();
    *info = found;
    return S_OK;
}

HRESULT View::GetIDsOfNames(REFIID, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids)
{
    ITypeInfo* info = nullptr;
    HRESULT loaded = LoadViewTypeInfo(locale, &info);
    if (FAILED(loaded))
        return loaded;
    return info->GetIDsOfNames(names, nameCount, ids);
}

HRESULT View::Invoke(DISPID member, REFIID, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* outcome,
                     EXCEPINFO* exception, UINT* argumentError)
{
    ITypeInfo* info = nullptr;
    HRESULT loaded = LoadViewTypeInfo(locale, &info);
    if (FAILED(loaded))
        return loaded;
    // The type information calls IView's own slots on this object.
    return info->Invoke(static_cast<IView*>(this), member, flags, parameters, outcome, exception, argumentError);
}
