// What registration does with one module: run its registrar script, register its type library.
#pragma once

#include <windows.h>

// An extra "%key%" replacement for the registrar script, as ATL passes them.
struct AtlRegMapEntry {
    LPCOLESTR key;
    LPCOLESTR data;
};

// Runs the module's "REGISTRY" resource with "%MODULE%" = the module's full path (and the
// extras, up to an entry with a null key). Registry failures come back as HRESULT_FROM_WIN32,
// a refused script as DISP_E_EXCEPTION; what was written before a failure stays.
HRESULT UpdateRegistryFromModuleScript(HINSTANCE instance, LPCWSTR resource, bool doRegister,
                                       const AtlRegMapEntry* extras);

// The type library in the module file, registered with that file as its location and the
// module's folder as its help folder.
HRESULT RegisterModuleTypeLibrary(HINSTANCE instance);
// Unregistered by the library id, version, locale and system kind that the module's library names.
HRESULT UnregisterModuleTypeLibrary(HINSTANCE instance);
