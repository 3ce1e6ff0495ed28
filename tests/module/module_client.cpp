// Loading Orvane.dll and reaching View through its exports, as COM itself would.
#include "module_client.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One single-threaded apartment, as the browser's page script has.
class ApartmentEnvironment : public testing::Environment {
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};
testing::Environment* const apartment = testing::AddGlobalTestEnvironment(new ApartmentEnvironment);

}  // namespace

const ModuleExports& Module()
{
    static const ModuleExports exports = [] {
        ModuleExports loaded{LoadLibraryA(ORVANE_MODULE_PATH), nullptr, nullptr};
        if (loaded.module) {  // by ordinal, as the .def file numbers them
            loaded.canUnloadNow = reinterpret_cast<decltype(loaded.canUnloadNow)>(
                reinterpret_cast<void*>(GetProcAddress(loaded.module, MAKEINTRESOURCEA(1))));
            loaded.getClassObject = reinterpret_cast<decltype(loaded.getClassObject)>(
                reinterpret_cast<void*>(GetProcAddress(loaded.module, MAKEINTRESOURCEA(2))));
        }
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
    if (Module().getClassObject)
        Module().getClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    return factory;
}

IView* CreateView()
{
    IView* view = nullptr;
    if (IClassFactory* factory = ViewFactory()) {
        factory->CreateInstance(nullptr, IID_IView, reinterpret_cast<void**>(&view));
        factory->Release();
    }
    return view;
}

std::wstring ModuleText(UINT id)
{
    WCHAR text[64] = {};
    LoadStringW(Module().module, id, text, 64);
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

std::wstring SampleAddress(const char* fileName)
{
    const std::string path = SamplePath(fileName);  // ASCII
    return L"file:///" + std::wstring(path.begin(), path.end());
}

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
