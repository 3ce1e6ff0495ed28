// The rundll32 entry points of the Explorer verb: a client of the module's own View, as the menu
// page is, so that the reader, the dialog and every message are those of ShowDlg; only the way
// in differs, a local path in place of an address.
#include <windows.h>

#include "atl/atl_conversion.h"
#include "atl/atl_module.h"
#include "module/exports.h"
#include "module/wide_text.h"
#include "resources/text_ids.h"
#include "ui/failure_message.h"
#include "view/orvane.h"
#include "view/view.h"

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

// The path is read as the file system names it: never turned into an address, whose rules
// would decode "%20" and take a backslash for a separator of another file's name.
HRESULT ShowPicture(const wchar_t* path)
{
    IClassFactory* factory = nullptr;
    HRESULT result = DllGetClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result))
        return result;
    IView* view = nullptr;
    result = factory->CreateInstance(nullptr, IID_IView, reinterpret_cast<void**>(&view));
    factory->Release();
    if (FAILED(result))
        return result;
    result = static_cast<View*>(view)->ShowPath(path);  // the module's own class: the factory made a View
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
    if (path)
        result = ShowPicture(path.get());
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
