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

ModuleExports FindExports(HMODULE module)
{
    ModuleExports found{module, nullptr, nullptr};
    if (module) {  // by ordinal, as the .def file numbers them
        found.canUnloadNow = reinterpret_cast<decltype(found.canUnloadNow)>(
            reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
        found.getClassObject = reinterpret_cast<decltype(found.getClassObject)>(
            reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(2))));
    }
    return found;
}

const ModuleExports& Module()
{
    static const ModuleExports exports = FindExports(LoadLibraryA(ORVANE_MODULE_PATH));
    return exports;
}

std::wstring ModuleFilePath()
{
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(Module().module, path, MAX_PATH);
    return path;
}

IClassFactory* ViewFactory(const ModuleExports& from)
{
    IClassFactory* factory = nullptr;
    if (from.getClassObject)
        from.getClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    return factory;
}

IView* CreateView(const ModuleExports& from)
{
    IView* view = nullptr;
    if (IClassFactory* factory = ViewFactory(from)) {
        factory->CreateInstance(nullptr, IID_IView, reinterpret_cast<void**>(&view));
        factory->Release();
    }
    return view;
}

namespace {

// The entry of id in the resource directory at offset (offsets count from the section's start).
IMAGE_RESOURCE_DIRECTORY_ENTRY* FindEntry(BYTE* section, size_t size, DWORD offset, WORD id)
{
    if (size < sizeof(IMAGE_RESOURCE_DIRECTORY) || offset > size - sizeof(IMAGE_RESOURCE_DIRECTORY))
        return nullptr;
    auto* directory = reinterpret_cast<IMAGE_RESOURCE_DIRECTORY*>(section + offset);
    auto* entries = reinterpret_cast<IMAGE_RESOURCE_DIRECTORY_ENTRY*>(directory + 1);
    const size_t count = size_t(directory->NumberOfNamedEntries) + directory->NumberOfIdEntries;
    if (count > (size - offset - sizeof *directory) / sizeof *entries)
        return nullptr;
    for (size_t index = 0; index < count; ++index)
        if (!entries[index].NameIsString && entries[index].Id == id)
            return &entries[index];
    return nullptr;
}

// Wine's UpdateResource cannot delete (it reads the file's own resources back in after the
// deletion), so the copy is edited in place; the next id keeps the directory's order.
bool RenameDialog(std::vector<BYTE>& file, WORD templateId)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(file.data() + dos->e_lfanew);
    const DWORD resources = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD index = 0; index < nt->FileHeader.NumberOfSections; ++index, ++section) {
        if (section->VirtualAddress != resources || section->PointerToRawData + section->SizeOfRawData > file.size())
            continue;
        BYTE* bytes = file.data() + section->PointerToRawData;
        IMAGE_RESOURCE_DIRECTORY_ENTRY* dialogs = FindEntry(bytes, section->SizeOfRawData, 0, WORD(size_t(RT_DIALOG)));
        IMAGE_RESOURCE_DIRECTORY_ENTRY* dialog =
            dialogs && dialogs->DataIsDirectory
                ? FindEntry(bytes, section->SizeOfRawData, dialogs->OffsetToDirectory, templateId)
                : nullptr;
        if (!dialog)
            return false;
        dialog->Id = WORD(templateId + 1);
        return true;
    }
    return false;
}

}  // namespace

ModuleExports LoadCopyWithoutDialog(WORD templateId, std::wstring& copyPath)
{
    WCHAR directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    copyPath = std::wstring(directory) + L"orvane_without_dialog.dll";
    HANDLE file = CreateFileW(ModuleFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<BYTE> bytes(GetFileSize(file, nullptr));
    DWORD done = 0;
    ReadFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr);
    CloseHandle(file);
    if (done != bytes.size() || !RenameDialog(bytes, templateId))
        return ModuleExports{};
    file = CreateFileW(copyPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr);
    CloseHandle(file);
    return FindExports(LoadLibraryW(copyPath.c_str()));
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
