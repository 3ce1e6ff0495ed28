// The real Orvane.dll as a COM client sees it: loaded by path, its exports reached by
// ordinal, objects made through its class factory.
#pragma once

#include <windows.h>

#include <string>

#include "view/orvane.h"

struct ModuleExports {
    HMODULE module;
    HRESULT(STDAPICALLTYPE* canUnloadNow)();
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**);
    HRESULT(STDAPICALLTYPE* registerServer)();
    HRESULT(STDAPICALLTYPE* unregisterServer)();
};

// Loaded once for the whole test program, by ordinal as the .def file numbers them.
const ModuleExports& Module();
std::wstring ModuleFilePath();

// View's class factory, or null; the caller releases it.
IClassFactory* ViewFactory();
// A new View as IView, or null; the caller releases it.
IView* CreateView();

// A text of the module's string table: wide as the error information carries it, and in the
// ANSI code page as the dialog shows it.
std::wstring ModuleTextW(UINT id);
std::string ModuleTextA(UINT id);

// Takes the thread's error information as a script engine does; "<none>" when there is none.
std::wstring TakeErrorDescription();

// "file:///" and a sample's path under Wine's Z: drive, with forward slashes.
std::wstring SampleAddress(const char* fileName);
std::string SamplePath(const char* fileName);

// Owns a BSTR for one call.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value; }

private:
    BSTR value;
};

// What a leak shows as: handles and bytes in use across the process's heaps.
struct ResourceUse {
    DWORD handles;
    size_t heapBytes;
};
ResourceUse MeasureResourceUse();
