// The one wide-to-ANSI conversion of the Windows side.
#include "atl/atl_conversion.h"

#include <climits>
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
