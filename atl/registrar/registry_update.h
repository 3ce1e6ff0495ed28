// What registration does with one module: run its registrar script, register its type library.
#pragma once

#include <windows.h>

#include <memory>

using WidePath = std::unique_ptr<wchar_t[]>;

// The loader's name for the module, whatever its length and characters (the buffer grows until
// no part is cut, so a cut path is never taken for the module's); length without the terminator.
HRESULT ModuleFilePath(HINSTANCE instance, WidePath& path, DWORD& length);

// Runs the module's "REGISTRY" resource with "%MODULE%" = the module's full path, exactly as
// the loader names it. Registry failures come back as HRESULT_FROM_WIN32, a refused script as
// DISP_E_EXCEPTION, a path or text without an exact Unicode form as
// HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION), a lack of memory as E_OUTOFMEMORY; what was
// written before a failure stays.
HRESULT UpdateRegistryFromModuleScript(HINSTANCE instance, LPCWSTR resource, bool doRegister);

// The type library in the module file, registered with that file as its location and the
// module's folder as its help folder.
HRESULT RegisterModuleTypeLibrary(HINSTANCE instance);
// Unregistered by the library id, version, locale and system kind that the module's library
// names; S_OK also when that library is not registered.
HRESULT UnregisterModuleTypeLibrary(HINSTANCE instance);
