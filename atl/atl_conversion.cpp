// The wide text conversions of the Windows side: to the ANSI code page or UTF-8, and from ANSI.
#include "atl/atl_conversion.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

HRESULT WideTo(UINT codePage, DWORD flags, int bytesPerCharacter, int extra, const WCHAR* text, UINT length,
               AnsiText& copy)
{
    copy.reset();
    if (!text)
        return S_OK;
    if (length > static_cast<UINT>((INT_MAX - extra) / bytesPerCharacter))
        return E_OUTOFMEMORY;
    const int size = static_cast<int>(length) * bytesPerCharacter + extra;
    AnsiText converted(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!converted)
        return E_OUTOFMEMORY;
    if (WideCharToMultiByte(codePage, flags, text, static_cast<int>(length) + 1, converted.get(), size, nullptr,
                            nullptr) == 0) {
        const DWORD error = GetLastError();
        // A conversion that fails without saying why must still read as a failure.
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    copy = std::move(converted);
    return S_OK;
}

}  // namespace

HRESULT WideToAnsi(const WCHAR* text, UINT length, AnsiText& copy) { return WideTo(CP_ACP, 0, 2, 2, text, length, copy); }

HRESULT WideToUtf8(const WCHAR* text, UINT length, AnsiText& copy)
{
    return WideTo(CP_UTF8, WC_ERR_INVALID_CHARS, 3, 1, text, length, copy);
}

HRESULT AnsiToWide(const char* text, WideCopy& copy)
{
    copy.reset();
    if (!text)
        return S_OK;
    const size_t size = strlen(text) + 1;
    if (size > INT_MAX)
        return E_OUTOFMEMORY;
    WideCopy converted(new (std::nothrow) WCHAR[size]);
    if (!converted)
        return E_OUTOFMEMORY;
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, converted.get(), static_cast<int>(size)) == 0) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    copy = std::move(converted);
    return S_OK;
}
