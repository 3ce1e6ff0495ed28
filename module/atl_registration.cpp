// Registration: each class's registry update, and the type library carried as "TYPELIB" 1.
#include "module/atl_registration.h"

#include <windows.h>
#include <oleauto.h>

namespace {

HRESULT UpdateClasses(AtlModule* module, BOOL doRegister, const CLSID* classId)
{
    for (AtlObjectMapEntry* entry = module->objectMap; entry && entry->classId; ++entry) {
        if (classId && !IsEqualCLSID(*classId, *entry->classId))
            continue;
        if (!entry->updateRegistry)
            continue;
        HRESULT updated = entry->updateRegistry(doRegister);
        if (FAILED(updated))
            return updated;
    }
    return S_OK;
}

// The type library of the module file; its full path is where it gets registered.
HRESULT LoadModuleTypeLib(const AtlModule* module, WCHAR (&path)[MAX_PATH], ITypeLib** library)
{
    *library = nullptr;
    DWORD length = GetModuleFileNameW(module->typeLibInstance, path, MAX_PATH);
    // A full buffer means the path was cut: registering a cut path would point nowhere.
    if (length == 0 || length >= MAX_PATH)
        return length == 0 ? HRESULT_FROM_WIN32(GetLastError()) : HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return LoadTypeLib(path, library);
}

HRESULT RegisterModuleTypeLib(const AtlModule* module)
{
    WCHAR path[MAX_PATH] = {};
    ITypeLib* library = nullptr;
    HRESULT loaded = LoadModuleTypeLib(module, path, &library);
    if (FAILED(loaded))
        return loaded;
    // The help directory is the module's own folder.
    WCHAR directory[MAX_PATH] = {};
    lstrcpynW(directory, path, MAX_PATH);
    WCHAR* lastSeparator = nullptr;
    for (WCHAR* at = directory; *at; ++at)
        if (*at == L'\\' || *at == L'/')
            lastSeparator = at;
    if (lastSeparator)
        *lastSeparator = 0;
    HRESULT registered = RegisterTypeLib(library, path, directory);
    library->Release();
    return registered;
}

HRESULT UnregisterModuleTypeLib(const AtlModule* module)
{
    WCHAR path[MAX_PATH] = {};
    ITypeLib* library = nullptr;
    HRESULT loaded = LoadModuleTypeLib(module, path, &library);
    if (FAILED(loaded))
        return loaded;
    TLIBATTR* attributes = nullptr;
    HRESULT unregistered = library->GetLibAttr(&attributes);
    if (SUCCEEDED(unregistered)) {
        unregistered = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                         attributes->lcid, attributes->syskind);
        library->ReleaseTLibAttr(attributes);
    }
    library->Release();
    return unregistered;
}

}  // namespace

HRESULT AtlModuleRegisterServer(AtlModule* module, BOOL registerTypeLib, const CLSID* classId)
{
    if (!module)
        return E_INVALIDARG;
    HRESULT updated = UpdateClasses(module, TRUE, classId);
    if (FAILED(updated) || !registerTypeLib)
        return updated;
    return RegisterModuleTypeLib(module);
}

HRESULT AtlModuleUnregisterServerEx(AtlModule* module, BOOL unregisterTypeLib, const CLSID* classId)
{
    if (!module)
        return E_INVALIDARG;
    HRESULT updated = UpdateClasses(module, FALSE, classId);
    if (FAILED(updated) || !unregisterTypeLib)
        return updated;
    return UnregisterModuleTypeLib(module);
}
