// The module state and the COM runtime operations the module relies on: class table, lock
// count, the type information for late binding, interface tables.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>

// One class of the class table: its id, the registrar script that registers it, and its class
// factory, which lives as long as the module (see atl/class_factory.h).
struct AtlObjectMapEntry {
    const CLSID* classId;
    WORD registrarScript;  // a "REGISTRY" resource of the module
    IClassFactory* classFactory;
};

// Made by the DLL entry routine at attach: the module's instance (also where its resources and
// its type library are) and the library id its late-bound calls load.
void AtlModuleInit(const AtlObjectMapEntry* classTable, size_t classCount, HINSTANCE instance, REFGUID libraryId);
// Runs at detach: releases the type information loaded for late binding.
void AtlModuleTerm();

HINSTANCE AtlModuleInstance();
const AtlObjectMapEntry* AtlModuleClassTable(size_t* classCount);

// The class factory of classId asked for iid; CLASS_E_CLASSNOTAVAILABLE for a class not in the table.
HRESULT AtlModuleGetClassObject(REFCLSID classId, REFIID iid, void** result);

// The module may unload only at 0: live objects, client references to a class factory and
// LockServer locks each hold one.
void AtlModuleLock();
void AtlModuleUnlock();
LONG AtlModuleLockCount();

// The type information of interfaceId in the registered type library (the library id, version
// 1.0), loaded at the first call and kept, unreferenced for the caller, until AtlModuleTerm. A
// library that is not registered yet is looked for again at the next call.
HRESULT AtlModuleGetTypeInfo(REFIID interfaceId, LCID locale, ITypeInfo** info);

// One interface of an object: its id and where its pointer lies within the object. The first
// entry also answers for IUnknown; a null iid ends the table.
struct AtlInterfaceEntry {
    const IID* iid;
    DWORD_PTR offset;
};

// The table walk behind QueryInterface: a referenced pointer, or E_NOINTERFACE.
HRESULT AtlInternalQueryInterface(void* object, const AtlInterfaceEntry* entries, REFIID iid, void** result);
