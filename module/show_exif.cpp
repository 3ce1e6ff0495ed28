// The rundll32 entry points of the Explorer verb: a client of the module's own View, as the menu
// page is, so that the reader, the dialog and every message are those of ShowDlg.
#include <windows.h>

#include "atl/atl_conversion.h"
#include "atl/atl_module.h"
#include "module/exports.h"
#include "module/wide_text.h"
#include "resources/text_ids.h"
#include "ui/failure_message.h"
#include "view/orvane.h"

namespace {

// The rest of rundll32's command line: the verb's "%1", still in its quotes.
WideText PathOfCommandLine(const wchar_t* commandLine)
{
    const wchar_t* start = commandLine + wcsspn(commandLine, L" \t");
    const wchar_t* end = nullptr;
    if (*start == L'"') {
        ++start;
        end = wcschr(start, L'"');
    }
    if (!end) {
        end = start + wcslen(start);
        while (end > start && (end[-1] == L' ' || end[-1] == L'\t'))
            --end;
    }
    return CopyWideText(start, static_cast<size_t>(end - start));
}

// ShowDlg turns the address into ANSI text and decodes nothing but %20, and the reader opens it
// with the ANSI file functions: a path reaches the picture only when it holds no "%20", every
// character has an ANSI form and it is shorter than MAX_PATH.
bool SurvivesAddressRules(const wchar_t* path)
{
    const size_t length = wcslen(path);
    if (wcsstr(path, L"%20") || length >= MAX_PATH)
        return false;
    AnsiText ansi;  // exactly as ShowDlg will convert it
    const int characters = static_cast<int>(length + 1);
    const WideText back = NewWideText(length + 1);
    if (FAILED(WideToAnsi(path, static_cast<UINT>(length), ansi)) || !back)
        return false;  // then the short form is tried, which needs no more room than the path
    return MultiByteToWideChar(CP_ACP, 0, ansi.get(), -1, back.get(), characters) == characters &&
           wcscmp(back.get(), path) == 0;
}

// Any other path goes by its short form, which is plain ASCII where Windows keeps short names;
// where it keeps none, the reader's own message tells the user that the file cannot be read.
void MakeReachable(WideText& path)
{
    if (SurvivesAddressRules(path.get()))
        return;
    const DWORD size = GetShortPathNameW(path.get(), nullptr, 0);
    WideText shortPath = size ? NewWideText(size) : nullptr;
    if (!shortPath)
        return;
    const DWORD length = GetShortPathNameW(path.get(), shortPath.get(), size);
    if (length != 0 && length < size)
        path.swap(shortPath);
}

// The reverse of the "file:///" rule: ShowDlg turns '/' back into '\' and "%20" into a blank.
BSTR AddressOfPath(const wchar_t* path)
{
    const wchar_t prefix[] = L"file:///";
    size_t length = wcslen(prefix);
    for (const wchar_t* character = path; *character; ++character)
        length += *character == L' ' ? 3 : 1;
    BSTR address = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!address)
        return nullptr;
    wchar_t* out = address + wcslen(prefix);
    wmemcpy(address, prefix, wcslen(prefix));
    for (const wchar_t* character = path; *character; ++character) {
        if (*character == L' ') {
            wmemcpy(out, L"%20", 3);
            out += 3;
        } else {
            *out++ = *character == L'\\' ? L'/' : *character;
        }
    }
    *out = L'\0';
    return address;
}

HRESULT ShowPicture(BSTR srcURL)
{
    if (!srcURL)
        return E_OUTOFMEMORY;
    IClassFactory* factory = nullptr;
    HRESULT result = DllGetClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result))
        return result;
    IView* view = nullptr;
    result = factory->CreateInstance(nullptr, IID_IView, reinterpret_cast<void**>(&view));
    factory->Release();
    if (FAILED(result))
        return result;
    result = view->ShowDlg(srcURL);
    view->Release();
    return result;
}

// The description that ShowDlg left as the thread's error information; a failure that left none
// (the object not made, the address not converted) is still told, with message 309.
void ShowFailure(HWND owner)
{
    wchar_t text[256] = {};
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        BSTR description = nullptr;
        if (SUCCEEDED(info->GetDescription(&description)) && description)
            lstrcpynW(text, description, static_cast<int>(sizeof text / sizeof *text));
        SysFreeString(description);
        info->Release();
    }
    if (!text[0])
        LoadStringW(AtlModuleInstance(), TextCannotShowDialog, text, static_cast<int>(sizeof text / sizeof *text));
    ShowFailureText(owner, AtlModuleInstance(), text);
}

void ShowExifOf(HWND window, const wchar_t* commandLine)
{
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SetErrorInfo(0, nullptr);  // nothing from before may pass for this attempt's description
    HRESULT result = E_OUTOFMEMORY;  // told with message 309, like every failure without a text
    WideText path = PathOfCommandLine(commandLine ? commandLine : L"");
    if (path) {
        MakeReachable(path);
        BSTR srcURL = AddressOfPath(path.get());
        result = ShowPicture(srcURL);
        SysFreeString(srcURL);
    }
    if (FAILED(result))
        ShowFailure(window);
    if (SUCCEEDED(initialised))
        CoUninitialize();
}

}  // namespace

extern "C" void CALLBACK ShowExifW(HWND window, HINSTANCE, LPWSTR commandLine, int)
{
    ShowExifOf(window, commandLine);
}

// For a rundll32 that looks for the ANSI entry alone: the line is in the ANSI code page.
extern "C" void CALLBACK ShowExif(HWND window, HINSTANCE, LPSTR commandLine, int)
{
    WideCopy wide;
    AnsiToWide(commandLine, wide);
    ShowExifOf(window, wide ? wide.get() : L"");  // no memory: the address message says it is unusable
}
