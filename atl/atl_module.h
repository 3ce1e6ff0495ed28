// The module state and the COM runtime operations the module relies on: class table, cached
// class factory, lock count, end routines, interface tables.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "atl/atl_window.h"

// Makes an object of a class (plain, or aggregated when outer is given) and asks it for iid.
using AtlCreatorFunc = HRESULT (*)(IUnknown* outer, REFIID iid, void** result);
// Makes the class factory of a class around that class's instance creator.
using AtlClassFactoryCreatorFunc = HRESULT (*)(AtlCreatorFunc createInstance, REFIID iid, void** result);
using AtlUpdateRegistryFunc = HRESULT (*)(BOOL doRegister);
using AtlTermFunc = void (*)(DWORD_PTR argument);

// One class of the class table; a null classId ends the table. The classes have no
// description, component categories or start and stop work, so the entry has no place for them.
struct AtlObjectMapEntry {
    const CLSID* classId;
    AtlUpdateRegistryFunc updateRegistry;
    AtlClassFactoryCreatorFunc createClassFactory;
    AtlCreatorFunc createInstance;
    IUnknown* classFactory;  // cached once made; released by AtlModuleTerm
};

struct AtlTermFuncElem {
    AtlTermFunc func;
    DWORD_PTR argument;
    AtlTermFuncElem* next;
};

struct AtlModule {
    HINSTANCE instance;
    HINSTANCE resourceInstance;
    HINSTANCE typeLibInstance;
    AtlObjectMapEntry* objectMap;
    LONG lockCount;  // only through InterlockedIncrement/Decrement
    GUID libraryId;
    CRITICAL_SECTION objectMapLock;     // fills the class factory caches
    CRITICAL_SECTION typeInfoLock;      // loads the type information for late binding once
    CRITICAL_SECTION termFuncLock;      // guards the list of end routines
    AtlTermFuncElem* termFuncs;         // newest first
    AtlWindowState* windowState;        // the dialog runner's creation data
};

// The module's one state, set up by the DLL entry routine.
AtlModule& ModuleState();

HRESULT AtlModuleInit(AtlModule* module, AtlObjectMapEntry* objectMap, HINSTANCE instance);
// Releases the cached class factories, then runs the end routines, newest first.
HRESULT AtlModuleTerm(AtlModule* module);
// The class factory of classId asked for iid; CLASS_E_CLASSNOTAVAILABLE for a class not in the table.
HRESULT AtlModuleGetClassObject(AtlModule* module, REFCLSID classId, REFIID iid, void** result);
HRESULT AtlModuleAddTermFunc(AtlModule* module, AtlTermFunc func, DWORD_PTR argument);

LONG AtlModuleLock(AtlModule* module);
LONG AtlModuleUnlock(AtlModule* module);
LONG AtlModuleLockCount(const AtlModule* module);

// The place holds value, referenced; what it held before is released afterwards.
IUnknown* AtlComPtrAssign(IUnknown** place, IUnknown* value);

// One interface of an object: its id and where its pointer lies within the object. The first
// entry also answers for IUnknown; a null iid ends the table.
struct AtlInterfaceEntry {
    const IID* iid;
    DWORD_PTR offset;
};

// The table walk behind QueryInterface: a referenced pointer, or E_NOINTERFACE.
HRESULT AtlInternalQueryInterface(void* object, const AtlInterfaceEntry* entries, REFIID iid, void** result);
