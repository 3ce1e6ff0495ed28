// The Explorer verb's keys: DllInstall writes them on request; removal takes back only our own.
#include "module/explorer_verb.h"

#include "atl/registrar/registry_update.h"
#include "module/wide_text.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;  // this module, whichever name it was loaded under

namespace {

constexpr const wchar_t* Extensions[] = {L".jpg", L".jpeg", L".jpe", L".jfif"};
constexpr wchar_t ExplorerVerbKey[] = L"Orvane.ShowExif";  // the release guide names it too
constexpr wchar_t VerbText[] = L"查看 Exif 信息(&V)";

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

// A 64-bit Explorer would start its own 64-bit rundll32, which cannot load the 32-bit module:
// the 32-bit module names the 32-bit system folder where Windows has one.
bool Rundll32Path(wchar_t (&path)[MAX_PATH + 16])
{
    UINT length = 0;
#ifndef _WIN64
    length = GetSystemWow64DirectoryW(path, MAX_PATH);  // 0 on 32-bit Windows
#endif
    if (length == 0 || length >= MAX_PATH)
        length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    wcscat(path, L"\\rundll32.exe");
    return true;
}

// The command line that the verb runs for this module, each path quoted so that a blank in it
// cannot split the command.
HRESULT VerbCommand(WideText& command)
{
    wchar_t rundll32[MAX_PATH + 16];
    WidePath module;
    DWORD length = 0;
    const HRESULT found = ModuleFilePath(reinterpret_cast<HMODULE>(&__ImageBase), module, length);
    if (FAILED(found))
        return found;
    if (!Rundll32Path(rundll32))
        return E_FAIL;
    const wchar_t* const parts[] = {L"\"", rundll32, L"\" \"", module.get(), L"\",ShowExif \"%1\""};
    size_t commandLength = 0;
    for (const wchar_t* part : parts)
        commandLength += wcslen(part);
    command = NewWideText(commandLength + 1);
    if (!command)
        return E_OUTOFMEMORY;
    for (const wchar_t* part : parts)
        wcscat(command.get(), part);
    return S_OK;
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
void ToUpper(wchar_t* text)
{
    CharUpperBuffW(text, static_cast<DWORD>(wcslen(text)));
}

// Reads at most one character more than ours: a longer command cannot be ours, whatever it holds.
HRESULT IsOurCommand(const wchar_t* commandPath, const wchar_t* upperCommand, bool& isOurs)
{
    isOurs = false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, commandPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return S_OK;
    const size_t room = wcslen(upperCommand) + 2;  // one more character, and a zero that stays
    WideText value = NewWideText(room + 1);
    if (!value) {
        RegCloseKey(key);
        return E_OUTOFMEMORY;
    }
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(room * sizeof(wchar_t));
    LONG error = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.get()), &bytes);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS || type != REG_SZ)
        return S_OK;
    ToUpper(value.get());
    isOurs = wcscmp(value.get(), upperCommand) == 0;
    return S_OK;
}

HRESULT RemoveVerb(const wchar_t* extension, const wchar_t* upperCommand)
{
    const VerbKeys keys = KeysOf(extension);
    bool isOurs = false;
    const HRESULT read = IsOurCommand(keys.command, upperCommand, isOurs);
    if (FAILED(read) || !isOurs)
        return read;  // absent, or another copy's or program's: not ours to take
    LONG error = RegDeleteKeyW(HKEY_CURRENT_USER, keys.command);
    if (error == ERROR_SUCCESS)
        error = RegDeleteKeyW(HKEY_CURRENT_USER, keys.verb);
    return HRESULT_FROM_WIN32(error);
}

}  // namespace

HRESULT AddExplorerVerb()
{
    WideText command;
    const HRESULT made = VerbCommand(command);
    if (FAILED(made))
        return made;
    for (const wchar_t* extension : Extensions) {
        const VerbKeys keys = KeysOf(extension);
        HRESULT result = SetText(HKEY_CURRENT_USER, keys.verb, VerbText);
        if (SUCCEEDED(result))
            result = SetText(HKEY_CURRENT_USER, keys.command, command.get());
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

HRESULT RemoveExplorerVerb()
{
    WideText command;
    const HRESULT made = VerbCommand(command);
    if (FAILED(made))
        return made;
    ToUpper(command.get());
    HRESULT outcome = S_OK;
    for (const wchar_t* extension : Extensions) {  // one failure must not keep the others
        HRESULT result = RemoveVerb(extension, command.get());
        if (FAILED(result) && SUCCEEDED(outcome))
            outcome = result;
    }
    return outcome;
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
