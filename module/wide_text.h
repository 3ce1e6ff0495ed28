// Wide text of the module's top, allocated once at its final size: the module takes nothing of
// the C++ library that could throw, so a missing allocation is a null pointer to look at.
#pragma once

#include <windows.h>

#include <cwchar>
#include <memory>
#include <new>

using WideText = std::unique_ptr<wchar_t[]>;

// characters zeroed wide characters; null when there is no room.
inline WideText NewWideText(size_t characters)
{
    return WideText(new (std::nothrow) wchar_t[characters]());
}

// A copy of the count characters at text, terminated; null when there is no room.
inline WideText CopyWideText(const wchar_t* text, size_t count)
{
    WideText copy = NewWideText(count + 1);
    if (copy)
        wmemcpy(copy.get(), text, count);
    return copy;
}
