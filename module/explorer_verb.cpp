// The Explorer verb's keys: DllInstall writes them on request; removal takes back only our own.
// Plain wide buffers rather than std::wstring, whose library code would add a sixth to the module.
#include "module/explorer_verb.h"

#include <cwchar>
#include <vector>

extern "C" IMAGE_DOS_HEADER __ImageBase;  // this module, whichever name it was loaded under

namespace {

using WideText = std::vector<wchar_t>;  // always zero-terminated

constexpr const wchar_t* Extensions[] = {L".jpg", L".jpeg", L".jpe", L".jfif"};
constexpr wchar_t ExplorerVerbKey[] = L"Orvane.ShowExif";  // the release guide names it too
constexpr wchar_t VerbText[] = L"查看 Exif 信息(&V)";
constexpr DWORD LongestPath = 32768;  // the longest path Windows has

struct VerbKeys {
    wchar_t verb[128];
    wchar_t command[128];
};

VerbKeys KeysOf(const wchar_t* extension)
{
    VerbKeys keys;
    wsprintfW(keys.verb, L"Software\\Classes\\SystemFileAssociations\\%s\\shell\\%s", extension, ExplorerVerbKey);
    wsprintfW(keys.command, L"%s\\command", keys.verb);
    return keys;
}

void Append(WideText& text, const wchar_t* part)
{
    text.pop_back();  // the terminator, put back behind the part
    text.insert(text.end(), part, part + wcslen(part) + 1);
}

// A path cut by a short buffer must never reach the registry, so the buffer grows until it fits.
bool AppendModulePath(WideText& text)
{
    for (DWORD size = MAX_PATH; size <= LongestPath; size *= 2) {
        WideText path(size, L'\0');
        DWORD length = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path.data(), size);
        if (length == 0)
            return false;
        if (length < size) {
            Append(text, path.data());
            return true;
        }
    }
    return false;
}

// A 64-bit Explorer would start its own 64-bit rundll32, which cannot load the 32-bit module:
// the 32-bit module names the 32-bit system folder where Windows has one.
bool AppendRundll32Path(WideText& text)
{
    wchar_t folder[MAX_PATH] = {};
    UINT length = 0;
#ifndef _WIN64
    length = GetSystemWow64DirectoryW(folder, MAX_PATH);  // 0 on 32-bit Windows
#endif
    if (length == 0 || length >= MAX_PATH)
        length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    Append(text, folder);
    Append(text, L"\\rundll32.exe");
    return true;
}

// The command line that the verb runs for this module, each path quoted so that a blank in it
// cannot split the command. Empty when a path cannot be had.
WideText VerbCommand()
{
    WideText command(1, L'\0');
    Append(command, L"\"");
    bool isWhole = AppendRundll32Path(command);
    Append(command, L"\" \"");
    isWhole = isWhole && AppendModulePath(command);
    Append(command, L"\",ShowExif \"%1\"");
    return isWhole ? command : WideText(1, L'\0');
}

HRESULT SetText(HKEY root, const wchar_t* path, const wchar_t* text)
{
    HKEY key = nullptr;
    LONG error = RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(error);
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    error = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    RegCloseKey(key);
    return HRESULT_FROM_WIN32(error);
}

// Paths name the same file whatever their case, so the command is compared in upper case.
void ToUpper(WideText& text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
}

// Reads at most one character more than ours: a longer command cannot be ours, whatever it holds.
bool IsOurCommand(const wchar_t* commandPath, const WideText& upperCommand)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, commandPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    WideText value(upperCommand.size() + 2, L'\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>((value.size() - 1) * sizeof(wchar_t));  // one zero stays behind
    LONG error = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS || type != REG_SZ)
        return false;
    ToUpper(value);
    return wcscmp(value.data(), upperCommand.data()) == 0;
}

HRESULT RemoveVerb(const wchar_t* extension, const WideText& upperCommand)
{
    const VerbKeys keys = KeysOf(extension);
    if (!IsOurCommand(keys.command, upperCommand))
        return S_OK;  // absent, or another copy's or program's: not ours to take
    LONG error = RegDeleteKeyW(HKEY_CURRENT_USER, keys.command);
    if (error == ERROR_SUCCESS)
        error = RegDeleteKeyW(HKEY_CURRENT_USER, keys.verb);
    return HRESULT_FROM_WIN32(error);
}

}  // namespace

HRESULT AddExplorerVerb()
try {
    const WideText command = VerbCommand();
    if (!command[0])
        return E_FAIL;
    for (const wchar_t* extension : Extensions) {
        const VerbKeys keys = KeysOf(extension);
        HRESULT result = SetText(HKEY_CURRENT_USER, keys.verb, VerbText);
        if (SUCCEEDED(result))
            result = SetText(HKEY_CURRENT_USER, keys.command, command.data());
        if (FAILED(result))
            return result;
    }
    return S_OK;
} catch (...) {  // only a failed allocation throws here
    return E_OUTOFMEMORY;
}

HRESULT RemoveExplorerVerb()
try {
    WideText command = VerbCommand();
    if (!command[0])
        return E_FAIL;
    ToUpper(command);
    HRESULT outcome = S_OK;
    for (const wchar_t* extension : Extensions) {  // one failure must not keep the others
        HRESULT result = RemoveVerb(extension, command);
        if (FAILED(result) && SUCCEEDED(outcome))
            outcome = result;
    }
    return outcome;
} catch (...) {
    return E_OUTOFMEMORY;
}

// regsvr32 /i:explorer and /u /i:explorer; every other word is refused, so that a typing error
// never passes for a done installation.
STDAPI DllInstall(BOOL install, PCWSTR commandLine)
{
    if (!commandLine ||
        CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, commandLine, -1, L"explorer", -1) != CSTR_EQUAL)
        return E_INVALIDARG;
    return install ? AddExplorerVerb() : RemoveExplorerVerb();
}
