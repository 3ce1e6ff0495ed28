// The type library the module carries, and ShowDlg called late-bound: through IDispatch and
// from a real script engine (Wine's cscript.exe running VBScript).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_watch.h"
#include "module_client.h"

namespace {

std::wstring GuidText(REFGUID id)
{
    WCHAR text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

TEST(TypeLibrary, DescribesViewThenIView)
{
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(ModuleFilePath().c_str(), REGKIND_NONE, &library), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_ORVANELib));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0u);
    EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    library->ReleaseTLibAttr(attributes);

    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"ORVANELib");
    EXPECT_STREQ(help, L"Orvane 1.0 Type Library");
    SysFreeString(name);
    SysFreeString(help);

    ASSERT_EQ(library->GetTypeInfoCount(), 2u);
    TYPEKIND kind;
    library->GetTypeInfoType(0, &kind);
    EXPECT_EQ(kind, TKIND_COCLASS);
    library->GetTypeInfoType(1, &kind);
    EXPECT_EQ(kind, TKIND_DISPATCH) << "a dual interface";
    ASSERT_EQ(library->GetDocumentation(1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"IView");
    EXPECT_STREQ(help, L"IView Interface");
    SysFreeString(name);
    SysFreeString(help);

    // The interface half of the dual interface: ShowDlg in slot 8, dispatch id 1, one BSTR in.
    ITypeInfo* dispatchInfo = nullptr;
    ASSERT_EQ(library->GetTypeInfoOfGuid(IID_IView, &dispatchInfo), S_OK);
    HREFTYPE vtableType = 0;
    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatchInfo->GetRefTypeOfImplType(-1, &vtableType), S_OK);
    ASSERT_EQ(dispatchInfo->GetRefTypeInfo(vtableType, &info), S_OK);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
    EXPECT_EQ(type->typekind, TKIND_INTERFACE);
    EXPECT_EQ(type->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION), TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(type->cFuncs, 1);
    info->ReleaseTypeAttr(type);
    FUNCDESC* function = nullptr;
    ASSERT_EQ(info->GetFuncDesc(0, &function), S_OK);
    EXPECT_EQ(function->memid, 1);
    EXPECT_EQ(function->invkind, INVOKE_FUNC);
    EXPECT_EQ(function->callconv, CC_STDCALL);
    EXPECT_EQ(function->oVft, static_cast<SHORT>(7 * sizeof(void*)));
    ASSERT_EQ(function->cParams, 1);
    EXPECT_EQ(function->lprgelemdescParam[0].tdesc.vt, VT_BSTR);
    EXPECT_EQ(function->lprgelemdescParam[0].paramdesc.wParamFlags, PARAMFLAG_FIN);
    EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
    ASSERT_EQ(info->GetDocumentation(1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"ShowDlg");
    EXPECT_STREQ(help, L"method ShowDlg");
    SysFreeString(name);
    SysFreeString(help);
    info->ReleaseFuncDesc(function);
    info->Release();
    dispatchInfo->Release();
    library->Release();
}

// Registration of the type library by the system call; the class keys for the script client.
class LateBinding : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 936u);
        ASSERT_EQ(LoadTypeLib(ModuleFilePath().c_str(), &library), S_OK);
        std::wstring path = ModuleFilePath();
        ASSERT_EQ(RegisterTypeLib(library, &path[0], nullptr), S_OK);
    }
    void TearDown() override
    {
        if (library) {
            UnRegisterTypeLib(LIBID_ORVANELib, 1, 0, 0, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
            library->Release();
        }
        EXPECT_EQ(Module().canUnloadNow(), S_OK);
    }

    ITypeLib* library = nullptr;
};

HRESULT InvokeShowDlg(IDispatch* dispatch, const wchar_t* address, EXCEPINFO* exception)
{
    Bstr text(address);
    VARIANT argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_BSTR;
    V_BSTR(&argument) = text.get();
    DISPPARAMS parameters = {&argument, nullptr, 1, 0};
    UINT argumentError = 0;
    return dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, exception,
                            &argumentError);
}

TEST_F(LateBinding, DispatchFindsAndCallsShowDlg)
{
    IView* view = CreateView();
    ASSERT_NE(view, nullptr);
    UINT count = 0;
    EXPECT_EQ(view->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(view->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    ASSERT_EQ(view->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* type = nullptr;
    info->GetTypeAttr(&type);
    EXPECT_TRUE(IsEqualGUID(type->guid, IID_IView));
    info->ReleaseTypeAttr(type);
    info->Release();

    struct NameCase {
        const wchar_t* name;
        HRESULT result;
        DISPID id;
    } names[] = {{L"ShowDlg", S_OK, 1}, {L"showdlg", S_OK, 1}, {L"ShowDialog", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN}};
    for (const NameCase& test : names) {
        LPOLESTR name = const_cast<LPOLESTR>(test.name);
        DISPID id = 12345;
        EXPECT_EQ(view->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), test.result) << test.name;
        EXPECT_EQ(id, test.id) << test.name;
    }

    EXCEPINFO exception{};
    EXPECT_EQ(InvokeShowDlg(view, L"gopher:/", &exception), DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_FAIL);
    EXPECT_EQ(std::wstring(exception.bstrDescription ? exception.bstrDescription : L""), ModuleTextW(300));
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);

    DialogWatch watch;
    exception = EXCEPINFO{};
    EXPECT_EQ(InvokeShowDlg(view, SampleAddress("Nikon_D70.jpg").c_str(), &exception), S_OK);
    SeenDialog dialog = watch.Finish();
    EXPECT_TRUE(dialog.isSeen);
    EXPECT_FALSE(dialog.rows.empty());
    view->Release();
}

class RegisteredClass {
public:
    RegisteredClass()
    {
        const std::wstring classKey = L"CLSID\\" + GuidText(CLSID_View);
        SetValue(classKey + L"\\InprocServer32", nullptr, ModuleFilePath());
        SetValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        SetValue(L"Orvane.View\\CLSID", nullptr, GuidText(CLSID_View));
    }
    ~RegisteredClass()
    {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(CLSID_View)).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Orvane.View");
    }
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;

private:
    static void SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
    {
        HKEY opened = nullptr;
        RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr);
        RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(opened);
    }
};

// Runs a script with cscript.exe; what it writes to the file named by %OUT% comes back, one
// line each. (Wine's VBScript has no ChrW, so the texts are compared here, not in the script.)
std::vector<std::wstring> RunScript(std::wstring script)
{
    WCHAR directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    const std::wstring path = std::wstring(directory) + L"orvane_client.vbs";
    const std::wstring output = std::wstring(directory) + L"orvane_client.txt";
    script.replace(script.find(L"%OUT%"), 5, output);
    const std::string ascii(script.begin(), script.end());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(file, ascii.data(), static_cast<DWORD>(ascii.size()), &done, nullptr);
    CloseHandle(file);
    DeleteFileW(output.c_str());

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
    DeleteFileW(path.c_str());

    // UTF-16 with a byte order mark, lines ended by CR LF.
    std::wstring text;
    file = CreateFileW(output.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        WCHAR buffer[1024] = {};
        ReadFile(file, buffer, sizeof buffer - sizeof(WCHAR), &done, nullptr);
        CloseHandle(file);
        text.assign(buffer, done / sizeof(WCHAR));
    }
    DeleteFileW(output.c_str());
    std::vector<std::wstring> lines;
    size_t at = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
    for (size_t end; (end = text.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

TEST_F(LateBinding, ScriptClientReadsTheMessage)
{
    RegisteredClass registered;
    const std::wstring noExif = SampleAddress("jfif_then_exif.jpg");
    const std::vector<std::wstring> lines = RunScript(
        L"On Error Resume Next\r\n"
        L"Set out = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(\"%OUT%\", True, True)\r\n"
        L"Set Orvane = CreateObject(\"Orvane.View\")\r\n"
        L"out.WriteLine \"create \" & Err.Number\r\n"
        L"Orvane.ShowDlg \"http://ab\"\r\n"
        L"out.WriteLine Err.Number & \" \" & Err.Description\r\n"
        L"Err.Clear\r\n"
        L"Orvane.ShowDlg \"" + noExif + L"\"\r\n"
        L"out.WriteLine Err.Number & \" \" & Err.Description\r\n"
        L"Set Orvane = Nothing\r\n"
        L"out.Close\r\n");
    const std::wstring failed = std::to_wstring(static_cast<long>(E_FAIL)) + L" ";
    const std::vector<std::wstring> expected = {L"create 0", failed + ModuleTextW(300), failed + ModuleTextW(303)};
    EXPECT_TRUE(lines == expected) << "the script wrote " << lines.size() << " lines";
}

}  // namespace
