// The one conversion each way between wide text and the ANSI code page of the Windows side.
#include "atl/atl_conversion.h"

#include <climits>
#include <cstring>
#include <new>

HRESULT WideToAnsi(const WCHAR* text, UINT length, AnsiText& copy)
{
    copy.reset();
    if (!text)
        return S_OK;
    if (length > (INT_MAX - 2) / 2)
        return E_OUTOFMEMORY;
    const int size = static_cast<int>(length) * 2 + 2;
    AnsiText converted(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!converted)
        return E_OUTOFMEMORY;
    if (WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length) + 1, converted.get(), size, nullptr, nullptr) ==
        0) {
        const DWORD error = GetLastError();
        // A conversion that fails without saying why must still read as a failure.
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    copy = std::move(converted);
    return S_OK;
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
