// The real Orvane.dll as a COM client sees it: loaded by path, exports reached by ordinal.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "view/orvane.h"

struct ModuleExports {
    HMODULE module;
    HRESULT(STDAPICALLTYPE* canUnloadNow)();
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**);
};
const ModuleExports& Module();  // loaded once for the whole program
std::wstring ModuleFilePath();
ModuleExports FindExports(HMODULE module);

// A copy of the module in the temporary folder whose dialog template templateId is renamed
// (to templateId + 1) in its resource directory, so that the copy holds no such template;
// loaded. Null exports when the copy could not be made.
ModuleExports LoadCopyWithoutDialog(WORD templateId, std::wstring& copyPath);

IClassFactory* ViewFactory(const ModuleExports& from = Module());  // null on failure; the caller releases
IView* CreateView(const ModuleExports& from = Module());

std::wstring ModuleText(UINT id);
// Takes the thread's error information as a script engine does; "<none>" when there is none.
std::wstring TakeErrorDescription();

std::string SamplePath(const char* fileName);      // under Wine's Z: drive
std::wstring SampleAddress(const char* fileName);  // "file:///" and that path

struct FreeBstr {
    void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using Bstr = std::unique_ptr<OLECHAR, FreeBstr>;
inline Bstr MakeBstr(const std::wstring& text) { return Bstr(SysAllocStringLen(text.data(), UINT(text.size()))); }

// What a leak shows as: open handles, and bytes in use across the process's heaps.
struct ResourceUse {
    DWORD handles;
    size_t heapBytes;
};
ResourceUse MeasureResourceUse();
