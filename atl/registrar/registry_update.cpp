// Registration of one module: its registrar script against the real registry, its type library.
#include "atl/registrar/registry_update.h"

#include "atl/registrar/registrar.h"
#include "atl/registrar/windows_registry.h"

#include <oleauto.h>

#include <string>

namespace {

// Some failing calls leave no error code; they must still not read as success.
HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// The ANSI functions cannot name a longer path; a cut one would register a wrong file.
bool ModulePathA(HINSTANCE instance, std::string& path)
{
    char buffer[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(instance, buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return false;
    path.assign(buffer, length);
    return true;
}

HRESULT ModulePathW(HINSTANCE instance, WCHAR (&path)[MAX_PATH + 1])
{
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH + 1);
    if (length == 0)
        return LastErrorResult();
    return length > MAX_PATH ? HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) : S_OK;
}

std::string Narrow(LPCOLESTR text)
{
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

HRESULT LoadModuleTypeLibrary(HINSTANCE instance, WCHAR (&path)[MAX_PATH + 1], ITypeLib** library)
{
    HRESULT result = ModulePathW(instance, path);
    return FAILED(result) ? result : LoadTypeLibEx(path, REGKIND_NONE, library);
}

}  // namespace

HRESULT UpdateRegistryFromModuleScript(HINSTANCE instance, LPCWSTR resource, bool doRegister,
                                       const AtlRegMapEntry* extras)
{
    HRSRC found = FindResourceW(instance, resource, L"REGISTRY");
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!text)
        return LastErrorResult();
    DWORD size = SizeofResource(instance, found);

    Replacements replacements(1);
    replacements[0].first = "MODULE";
    if (!ModulePathA(instance, replacements[0].second))
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    for (const AtlRegMapEntry* entry = extras; entry && entry->key; ++entry)
        replacements.emplace_back(Narrow(entry->key), entry->data ? Narrow(entry->data) : std::string());

    WindowsRegistry registry;
    RegistrarOutcome outcome = UpdateRegistryFromScript(text, size, replacements, registry,
                                                        doRegister ? RegistrarMode::Register : RegistrarMode::Unregister);
    switch (outcome.kind) {
    case RegistrarOutcome::Kind::Done: return S_OK;
    case RegistrarOutcome::Kind::ScriptRefused: return DISP_E_EXCEPTION;
    case RegistrarOutcome::Kind::RegistryFailed: break;
    }
    return HRESULT_FROM_WIN32(static_cast<DWORD>(outcome.error));
}

HRESULT RegisterModuleTypeLibrary(HINSTANCE instance)
{
    WCHAR path[MAX_PATH + 1];
    ITypeLib* library = nullptr;
    HRESULT result = LoadModuleTypeLibrary(instance, path, &library);
    if (FAILED(result))
        return result;
    WCHAR folder[MAX_PATH + 1];
    lstrcpynW(folder, path, MAX_PATH + 1);
    WCHAR* lastSeparator = nullptr;
    for (WCHAR* at = folder; *at; ++at)
        if (*at == L'\\' || *at == L'/')
            lastSeparator = at;
    if (lastSeparator)
        *lastSeparator = 0;
    result = RegisterTypeLib(library, path, folder);
    library->Release();
    return result;
}

HRESULT UnregisterModuleTypeLibrary(HINSTANCE instance)
{
    WCHAR path[MAX_PATH + 1];
    ITypeLib* library = nullptr;
    HRESULT result = LoadModuleTypeLibrary(instance, path, &library);
    if (FAILED(result))
        return result;
    TLIBATTR* attributes = nullptr;
    result = library->GetLibAttr(&attributes);
    if (SUCCEEDED(result)) {
        result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                   attributes->lcid, attributes->syskind);
        library->ReleaseTLibAttr(attributes);
    }
    library->Release();
    return result;
}
