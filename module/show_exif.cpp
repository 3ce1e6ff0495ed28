// The rundll32 entry points of the Explorer verb: a client of the module's own View, as the menu
// page is, so that the reader, the dialog and every message are those of ShowDlg; only the way
// in differs, a local path in place of an address.
#include <windows.h>

#include "module/wide_text.h"
#include "resources/text_ids.h"
#include "ui/resource_ids.h"
#include "view/orvane.h"
#include "view/view.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HMODULE ThisModule()
{
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

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

// The caption of the properties dialog's template (extended or classic form), read in place:
// the message box then reads as the dialog's own. Null when the template cannot be read.
const wchar_t* DialogCaption()
{
    const WORD DialogType = 5;  // RT_DIALOG, spelled out because the macro follows UNICODE
    HRSRC found = FindResourceW(ThisModule(), MAKEINTRESOURCEW(IDD_PROPERTIES), MAKEINTRESOURCEW(DialogType));
    HGLOBAL loaded = found ? LoadResource(ThisModule(), found) : nullptr;
    const WORD* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!words)
        return nullptr;
    const size_t count = SizeofResource(ThisModule(), found) / sizeof(WORD);
    size_t at = count >= 2 && words[1] == 0xFFFF ? 13 : 9;  // the fixed header, in words
    for (int field = 0; field < 2; ++field) {  // menu, then window class: none, an ordinal or a text
        if (at >= count)
            return nullptr;
        if (words[at] == 0xFFFF) {
            at += 2;
        } else {
            while (at < count && words[at] != 0)
                ++at;
            ++at;
        }
    }
    for (size_t end = at; end < count; ++end) {
        if (words[end] == 0)
            return reinterpret_cast<const wchar_t*>(words + at);
    }
    return nullptr;
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
        LoadStringW(ThisModule(), TextCannotShowDialog, text, static_cast<int>(sizeof text / sizeof *text));
    MessageBoxW(owner, text, DialogCaption(), MB_OK | MB_ICONEXCLAMATION);
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
    wchar_t* wide = nullptr;
    const int characters = commandLine ? MultiByteToWideChar(CP_ACP, 0, commandLine, -1, nullptr, 0) : 0;
    if (characters > 0) {
        wide = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(characters) * sizeof(wchar_t)));
        if (wide)
            MultiByteToWideChar(CP_ACP, 0, commandLine, -1, wide, characters);
    }
    ShowExifOf(window, wide ? wide : L"");  // no memory: the address message says it is unusable
    if (wide)
        HeapFree(GetProcessHeap(), 0, wide);
}
