// Registration of one module: its registrar script against the real registry, its type library.
#include "atl/registrar/registry_update.h"

#include "atl/registrar/registrar.h"
#include "atl/registrar/windows_registry.h"

#include <oleauto.h>

#include <climits>
#include <new>
#include <string>

namespace {

// Some failing calls leave no error code; they must still not read as success.
HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// The exports answer with an HRESULT whatever happens below them.
template <typename Work>
HRESULT Guarded(Work work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// The loader's name for the module, whatever its length and characters; length without the
// terminator.
HRESULT ModulePath(HINSTANCE instance, WideText& path, DWORD& length)
{
    constexpr DWORD LongestPath = 32768;
    for (DWORD size = MAX_PATH + 1; size <= 2 * LongestPath; size *= 2) {
        path.assign(size, L'\0');
        length = GetModuleFileNameW(instance, path.data(), size);
        if (length == 0)
            return LastErrorResult();
        if (length < size)  // a cut name fills the buffer
            return S_OK;
    }
    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
}

// The script's texts are code page 936 whatever the system's code page.
bool DecodeCodePage936(const char* text, size_t length, std::string& utf8)
{
    if (length > INT_MAX)
        return false;
    int size = static_cast<int>(length);
    int wideLength = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text, size, nullptr, 0);
    if (wideLength <= 0)
        return false;
    WideText wide(static_cast<size_t>(wideLength));
    return MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text, size, wide.data(), wideLength) == wideLength &&
           WideToUtf8(wide.data(), wide.size(), utf8);
}

HRESULT RunModuleScript(HINSTANCE instance, LPCWSTR resource, bool doRegister)
{
    HRSRC found = FindResourceW(instance, resource, L"REGISTRY");
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!text)
        return LastErrorResult();
    WideText path;
    DWORD length = 0;
    HRESULT result = ModulePath(instance, path, length);
    if (FAILED(result))
        return result;
    std::string modulePath;
    if (!WideToUtf8(path.data(), length, modulePath))
        return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

    WindowsRegistry registry;
    RegistrarOutcome outcome =
        UpdateRegistryFromScript(text, SizeofResource(instance, found), modulePath, DecodeCodePage936, registry,
                                 doRegister ? RegistrarMode::Register : RegistrarMode::Unregister);
    switch (outcome.kind) {
    case RegistrarOutcome::Kind::Done: return S_OK;
    case RegistrarOutcome::Kind::ScriptRefused: return DISP_E_EXCEPTION;
    case RegistrarOutcome::Kind::RegistryFailed: break;
    }
    return HRESULT_FROM_WIN32(static_cast<DWORD>(outcome.error));
}

HRESULT RegisterTypeLibrary(HINSTANCE instance)
{
    WideText path;
    DWORD length = 0;
    HRESULT result = ModulePath(instance, path, length);
    if (FAILED(result))
        return result;
    WideText folder(path.begin(), path.begin() + length + 1);
    for (DWORD at = length; at-- > 0;)
        if (folder[at] == L'\\' || folder[at] == L'/') {
            folder[at] = L'\0';
            break;
        }
    ITypeLib* library = nullptr;
    if (FAILED(result = LoadTypeLibEx(path.data(), REGKIND_NONE, &library)))
        return result;
    result = RegisterTypeLib(library, path.data(), folder.data());
    library->Release();
    return result;
}

HRESULT UnregisterTypeLibrary(HINSTANCE instance)
{
    WideText path;
    DWORD length = 0;
    HRESULT result = ModulePath(instance, path, length);
    ITypeLib* library = nullptr;
    if (FAILED(result) || FAILED(result = LoadTypeLibEx(path.data(), REGKIND_NONE, &library)))
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

}  // namespace

HRESULT UpdateRegistryFromModuleScript(HINSTANCE instance, LPCWSTR resource, bool doRegister)
{
    return Guarded([&] { return RunModuleScript(instance, resource, doRegister); });
}

HRESULT RegisterModuleTypeLibrary(HINSTANCE instance)
{
    return Guarded([&] { return RegisterTypeLibrary(instance); });
}

HRESULT UnregisterModuleTypeLibrary(HINSTANCE instance)
{
    return Guarded([&] { return UnregisterTypeLibrary(instance); });
}
