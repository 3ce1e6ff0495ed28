// The standard class factory: makes objects through a class's instance creator, counts locks.
#pragma once

#include "atl/atl_module.h"

// Makes a factory for createInstance. The reference it hands out is the module's cache;
// every further reference, held by a client, counts as one module lock.
HRESULT CreateClassFactory(AtlCreatorFunc createInstance, REFIID iid, void** result);
