// The type library the module carries, and ShowDlg late-bound: through IDispatch, and from a
// real script engine (Wine's cscript.exe running VBScript).
#include <gtest/gtest.h>

#include <vector>

#include "dialog_watch.h"
#include "module_client.h"

namespace {

const SYSKIND ThisSystem = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

std::wstring Documentation(ITypeLib* library, INT index)
{
    BSTR name = nullptr, help = nullptr;
    library->GetDocumentation(index, &name, &help, nullptr, nullptr);
    std::wstring text = std::wstring(name ? name : L"") + L" / " + (help ? help : L"");
    SysFreeString(name);
    SysFreeString(help);
    return text;
}

TEST(TypeLibrary, DescribesViewThenIView)
{
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(ModuleFilePath().c_str(), REGKIND_NONE, &library), S_OK);
    TLIBATTR* attributes = nullptr;
    library->GetLibAttr(&attributes);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_ORVANELib));
    EXPECT_EQ(attributes->wMajorVerNum * 10 + attributes->wMinorVerNum, 10);
    EXPECT_EQ(attributes->lcid, 0u) << "neutral";
    EXPECT_EQ(attributes->syskind, ThisSystem);
    library->ReleaseTLibAttr(attributes);
    EXPECT_EQ(Documentation(library, -1), L"ORVANELib / Orvane 1.0 Type Library");
    ASSERT_EQ(library->GetTypeInfoCount(), 2u);
    TYPEKIND kinds[2];
    library->GetTypeInfoType(0, &kinds[0]);
    library->GetTypeInfoType(1, &kinds[1]);
    EXPECT_EQ(kinds[0], TKIND_COCLASS);
    EXPECT_EQ(kinds[1], TKIND_DISPATCH);
    EXPECT_EQ(Documentation(library, 1), L"IView / IView Interface");

    ITypeInfo* info = nullptr;
    ASSERT_EQ(library->GetTypeInfoOfGuid(IID_IView, &info), S_OK);
    // The interface half of the dual interface carries the flags.
    HREFTYPE half = 0;
    ITypeInfo* vtableInfo = nullptr;
    info->GetRefTypeOfImplType(-1, &half);
    ASSERT_EQ(info->GetRefTypeInfo(half, &vtableInfo), S_OK);
    TYPEATTR* type = nullptr;
    vtableInfo->GetTypeAttr(&type);
    EXPECT_EQ(type->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION), TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
    vtableInfo->ReleaseTypeAttr(type);
    vtableInfo->Release();
    BSTR help = nullptr;
    info->GetDocumentation(1, nullptr, &help, nullptr, nullptr);
    EXPECT_STREQ(help, L"method ShowDlg");
    SysFreeString(help);
    info->Release();
    library->Release();
}

// The type library registered with the system's own call, as the issue of registration
// will do through DllRegisterServer.
class LateBinding : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 936u);
        std::wstring path = ModuleFilePath();
        ASSERT_EQ(LoadTypeLib(path.c_str(), &library), S_OK);
        ASSERT_EQ(RegisterTypeLib(library, &path[0], nullptr), S_OK);
    }
    void TearDown() override
    {
        UnRegisterTypeLib(LIBID_ORVANELib, 1, 0, 0, ThisSystem);
        library->Release();
        EXPECT_EQ(Module().canUnloadNow(), S_OK);
    }

    ITypeLib* library = nullptr;
};

HRESULT InvokeShowDlg(IDispatch* dispatch, const wchar_t* address, EXCEPINFO* exception, REFIID iid = IID_NULL)
{
    Bstr text = MakeBstr(address);
    VARIANT argument;
    V_VT(&argument) = VT_BSTR;
    V_BSTR(&argument) = text.get();
    DISPPARAMS parameters = {&argument, nullptr, 1, 0};
    return dispatch->Invoke(1, iid, 0, DISPATCH_METHOD, &parameters, nullptr, exception, nullptr);
}

TEST_F(LateBinding, DispatchFindsAndCallsShowDlg)
{
    IView* view = CreateView();
    ASSERT_NE(view, nullptr);
    UINT count = 0;
    view->GetTypeInfoCount(&count);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(view->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    for (const wchar_t* name : {L"ShowDlg", L"showdlg"}) {
        DISPID id = 0;
        EXPECT_EQ(view->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(&name), 1, 0, &id), S_OK);
        EXPECT_EQ(id, 1);
    }

    EXCEPINFO exception{};
    EXPECT_EQ(InvokeShowDlg(view, L"gopher:/", &exception), DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_FAIL);
    EXPECT_EQ(std::wstring(exception.bstrDescription ? exception.bstrDescription : L""), ModuleText(300));
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);

    DialogWatch watch;
    EXPECT_EQ(InvokeShowDlg(view, SampleAddress("Nikon_D70.jpg").c_str(), nullptr), S_OK);
    EXPECT_FALSE(watch.Finish().rows.empty());
    view->Release();
}

TEST_F(LateBinding, DispatchServesNoOtherInterfaceId)
{
    IView* view = CreateView();
    ASSERT_NE(view, nullptr);
    for (const IID* iid : {&IID_IView, &IID_IDispatch, &IID_IUnknown}) {
        const wchar_t* name = L"ShowDlg";
        DISPID id = 0;
        EXPECT_EQ(view->GetIDsOfNames(*iid, const_cast<LPOLESTR*>(&name), 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
        EXPECT_EQ(InvokeShowDlg(view, L"http://ab", nullptr, *iid), DISP_E_UNKNOWNINTERFACE);
    }
    view->Release();
}

void SetClassesValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY opened = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr);
    RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
}

// Runs an ASCII script with cscript.exe; returns the lines it wrote to the file %OUT% (UTF-16):
// Wine's VBScript has no ChrW, so the texts are compared here.
std::vector<std::wstring> RunScript(std::wstring script)
{
    WCHAR directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    const std::wstring path = std::wstring(directory) + L"orvane_client.vbs";
    const std::wstring output = std::wstring(directory) + L"orvane_client.txt";
    script.replace(script.find(L"%OUT%"), 5, output);
    const std::string ascii(script.begin(), script.end());
    DWORD done = 0;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteFile(file, ascii.data(), DWORD(ascii.size()), &done, nullptr);
    CloseHandle(file);

    WCHAR system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(system) + L"\\cscript.exe\" //nologo \"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 120000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    WCHAR text[1024] = {};
    done = 0;
    file = CreateFileW(output.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ReadFile(file, text, sizeof text - sizeof(WCHAR), &done, nullptr);
    CloseHandle(file);
    DeleteFileW(path.c_str());
    DeleteFileW(output.c_str());
    std::vector<std::wstring> lines;
    std::wstring all(text + (text[0] == 0xFEFF ? 1 : 0));
    for (size_t at = 0, end; (end = all.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
        lines.push_back(all.substr(at, end - at));
    return lines;
}

TEST_F(LateBinding, ScriptClientReadsTheMessage)
{
    WCHAR classId[40] = {};
    StringFromGUID2(CLSID_View, classId, 40);
    SetClassesValue(L"CLSID\\" + std::wstring(classId) + L"\\InprocServer32", nullptr, ModuleFilePath());
    SetClassesValue(L"CLSID\\" + std::wstring(classId) + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    SetClassesValue(L"Orvane.View\\CLSID", nullptr, classId);
    const std::vector<std::wstring> lines = RunScript(
        L"On Error Resume Next\r\n"
        L"Set out = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(\"%OUT%\", True, True)\r\n"
        L"Set Orvane = CreateObject(\"Orvane.View\")\r\n"
        L"out.WriteLine \"create \" & Err.Number\r\n"
        L"Orvane.ShowDlg \"http://ab\"\r\n"
        L"out.WriteLine Err.Number & \" \" & Err.Description\r\n"
        L"Err.Clear\r\n"
        L"Orvane.ShowDlg \"" + SampleAddress("jfif_then_exif.jpg") + L"\"\r\n"
        L"out.WriteLine Err.Number & \" \" & Err.Description\r\n"
        L"Set Orvane = Nothing\r\n"
        L"out.Close\r\n");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + std::wstring(classId)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Orvane.View");
    const std::wstring failed = std::to_wstring(long(E_FAIL)) + L" ";
    const std::vector<std::wstring> expected = {L"create 0", failed + ModuleText(300), failed + ModuleText(303)};
    EXPECT_TRUE(lines == expected) << "the script wrote " << lines.size() << " lines";
}

}  // namespace
