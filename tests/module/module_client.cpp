// Loading Orvane.dll and reaching View through its exports, as COM itself would.
#include "module_client.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every test runs in one single-threaded apartment, as the browser's page script does.
class ApartmentEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};
testing::Environment* const apartment = testing::AddGlobalTestEnvironment(new ApartmentEnvironment);

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());  // the paths here are ASCII
}

template <typename Function>
Function ExportByOrdinal(HMODULE module, WORD ordinal)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

}  // namespace

const ModuleExports& Module()
{
    static const ModuleExports exports = [] {
        ModuleExports loaded{};
        loaded.module = LoadLibraryA(ORVANE_MODULE_PATH);
        if (!loaded.module)
            return loaded;
        loaded.canUnloadNow = ExportByOrdinal<decltype(loaded.canUnloadNow)>(loaded.module, 1);
        loaded.getClassObject = ExportByOrdinal<decltype(loaded.getClassObject)>(loaded.module, 2);
        loaded.registerServer = ExportByOrdinal<decltype(loaded.registerServer)>(loaded.module, 3);
        loaded.unregisterServer = ExportByOrdinal<decltype(loaded.unregisterServer)>(loaded.module, 4);
        return loaded;
    }();
    return exports;
}

std::wstring ModuleFilePath()
{
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(Module().module, path, MAX_PATH);
    return path;
}

IClassFactory* ViewFactory()
{
    IClassFactory* factory = nullptr;
    if (!Module().getClassObject)
        return nullptr;
    Module().getClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    return factory;
}

IView* CreateView()
{
    IClassFactory* factory = ViewFactory();
    if (!factory)
        return nullptr;
    IView* view = nullptr;
    factory->CreateInstance(nullptr, IID_IView, reinterpret_cast<void**>(&view));
    factory->Release();
    return view;
}

std::wstring ModuleTextW(UINT id)
{
    WCHAR text[64] = {};
    LoadStringW(Module().module, id, text, 64);
    return text;
}

std::string ModuleTextA(UINT id)
{
    char text[64] = {};
    LoadStringA(Module().module, id, text, 64);
    return text;
}

std::wstring TakeErrorDescription()
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return L"<none>";
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::wstring description = text ? text : L"";
    SysFreeString(text);
    info->Release();
    return description;
}

std::string SamplePath(const char* fileName) { return std::string(ORVANE_SAMPLES_DIR) + "/" + fileName; }

std::wstring SampleAddress(const char* fileName) { return L"file:///" + Widen(SamplePath(fileName)); }

ResourceUse MeasureResourceUse()
{
    ResourceUse use{0, 0};
    GetProcessHandleCount(GetCurrentProcess(), &use.handles);
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    for (HANDLE heap : heaps) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heap);
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                use.heapBytes += entry.cbData;
        HeapUnlock(heap);
    }
    return use;
}
