// Registration of one module: its registrar script against the real registry, its type library.
#include "atl/registrar/registry_update.h"

#include "atl/registrar/registrar.h"
#include "atl/registrar/windows_registry.h"

#include <oleauto.h>

#include <cstring>
#include <memory>
#include <new>

namespace {

// Some failing calls leave no error code; they must still not read as success.
HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// An unpaired surrogate has no UTF-8: refused, where the default would write U+FFFD.
HRESULT ModulePathUtf8(HINSTANCE instance, std::unique_ptr<char[]>& utf8, int& length)
{
    WidePath path;
    DWORD wideLength = 0;
    HRESULT result = ModuleFilePath(instance, path, wideLength);
    if (FAILED(result))
        return result;
    const int units = static_cast<int>(wideLength);
    length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path.get(), units, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    utf8.reset(new (std::nothrow) char[length]);
    if (!utf8)
        return E_OUTOFMEMORY;
    int written = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path.get(), units, utf8.get(), length, nullptr,
                                      nullptr);
    return written == length ? S_OK : HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
}

// The script's texts are code page 936 whatever the system's code page. The registrar hands
// them over in short runs, so fixed buffers do.
bool DecodeCodePage936(const char* text, size_t length, char* utf8, size_t& utf8Length)
{
    wchar_t wide[Cp936DecodeRun];
    if (length == 0 || length > Cp936DecodeRun)
        return false;
    int units = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), wide, Cp936DecodeRun);
    if (units <= 0)
        return false;
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, static_cast<int>(3 * length), nullptr, nullptr);
    utf8Length = static_cast<size_t>(size);
    return size > 0;
}

}  // namespace

HRESULT ModuleFilePath(HINSTANCE instance, WidePath& path, DWORD& length)
{
    constexpr DWORD LongestPath = 32768;
    for (DWORD size = MAX_PATH + 1; size <= 2 * LongestPath; size *= 2) {
        path.reset(new (std::nothrow) wchar_t[size]);
        if (!path)
            return E_OUTOFMEMORY;
        length = GetModuleFileNameW(instance, path.get(), size);
        if (length == 0)
            return LastErrorResult();
        if (length < size)  // a cut name fills the buffer
            return S_OK;
    }
    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
}

HRESULT UpdateRegistryFromModuleScript(HINSTANCE instance, LPCWSTR resource, bool doRegister)
{
    HRSRC found = FindResourceW(instance, resource, L"REGISTRY");
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!text)
        return LastErrorResult();
    std::unique_ptr<char[]> modulePath;
    int pathLength = 0;
    HRESULT result = ModulePathUtf8(instance, modulePath, pathLength);
    if (FAILED(result))
        return result;

    WindowsRegistry registry;
    RegistrarOutcome outcome = UpdateRegistryFromScript(
        text, SizeofResource(instance, found), {modulePath.get(), static_cast<size_t>(pathLength)}, DecodeCodePage936,
        registry, doRegister ? RegistrarMode::Register : RegistrarMode::Unregister);
    switch (outcome.kind) {
    case RegistrarOutcome::Kind::Done: return S_OK;
    case RegistrarOutcome::Kind::ScriptRefused: return DISP_E_EXCEPTION;
    case RegistrarOutcome::Kind::OutOfMemory: return E_OUTOFMEMORY;
    case RegistrarOutcome::Kind::RegistryFailed: break;
    }
    // E_OUTOFMEMORY too, when the registry layer ran short (ERROR_OUTOFMEMORY).
    return HRESULT_FROM_WIN32(static_cast<DWORD>(outcome.error));
}

HRESULT RegisterModuleTypeLibrary(HINSTANCE instance)
{
    WidePath path;
    DWORD length = 0;
    HRESULT result = ModuleFilePath(instance, path, length);
    if (FAILED(result))
        return result;
    WidePath folder(new (std::nothrow) wchar_t[length + 1]);
    if (!folder)
        return E_OUTOFMEMORY;
    std::memcpy(folder.get(), path.get(), (length + 1) * sizeof(wchar_t));
    for (DWORD at = length; at-- > 0;)
        if (folder[at] == L'\\' || folder[at] == L'/') {
            folder[at] = L'\0';
            break;
        }
    ITypeLib* library = nullptr;
    if (FAILED(result = LoadTypeLibEx(path.get(), REGKIND_NONE, &library)))
        return result;
    result = RegisterTypeLib(library, path.get(), folder.get());
    library->Release();
    return result;
}

HRESULT UnregisterModuleTypeLibrary(HINSTANCE instance)
{
    WidePath path;
    DWORD length = 0;
    HRESULT result = ModuleFilePath(instance, path, length);
    ITypeLib* library = nullptr;
    if (FAILED(result) || FAILED(result = LoadTypeLibEx(path.get(), REGKIND_NONE, &library)))
        return result;
    TLIBATTR* attributes = nullptr;
    result = library->GetLibAttr(&attributes);
    if (SUCCEEDED(result)) {
        result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                   attributes->lcid, attributes->syskind);
        // Never registered (a verb-only install) or already taken back: removed, as a missing key is.
        BSTR registered = nullptr;
        if (FAILED(result) && QueryPathOfRegTypeLib(attributes->guid, attributes->wMajorVerNum,
                                                    attributes->wMinorVerNum, attributes->lcid,
                                                    &registered) == TYPE_E_LIBNOTREGISTERED)
            result = S_OK;
        SysFreeString(registered);
        library->ReleaseTLibAttr(attributes);
    }
    library->Release();
    return result;
}
