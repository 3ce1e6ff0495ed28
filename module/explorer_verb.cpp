// The Explorer verb's keys: DllInstall writes them on request; removal takes back only our own.
#include "module/explorer_verb.h"

#include "atl/atl_module.h"
#include "atl/registrar/registry_update.h"
#include "module/exports.h"
#include "module/wide_text.h"
#include "resources/picture_extensions.h"
#include "resources/text_ids.h"

namespace {

constexpr wchar_t ExplorerVerbKey[] = L"Orvane.ShowExif";  // the release guide names it too
// The command is rundll32's quoted path, then the module's quoted, then the entry and argument.
constexpr wchar_t CommandEntry[] = L"\",ShowExif \"%1\"";

struct VerbKeys {
    wchar_t verb[128];
    wchar_t command[128];
};

// The extensions are the command line's too: ASCII, widened here.
VerbKeys KeysOf(const char* asciiExtension)
{
    wchar_t extension[16] = {};
    for (size_t i = 0; asciiExtension[i] && i + 1 < sizeof extension / sizeof *extension; ++i)
        extension[i] = static_cast<wchar_t>(asciiExtension[i]);
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

// Some failing calls leave no error code; they must still not read as success.
HRESULT LastErrorResult()
{
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// GetShortPathNameW or GetLongPathNameW, into a buffer of the size it asks for.
HRESULT ConvertedPath(DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD), const wchar_t* path, WideText& converted)
{
    const DWORD size = convert(path, nullptr, 0);
    if (size == 0)
        return LastErrorResult();
    converted = NewWideText(size);
    if (!converted)
        return E_OUTOFMEMORY;
    const DWORD length = convert(path, converted.get(), size);
    if (length == 0)
        return LastErrorResult();
    return length < size ? S_OK : HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);  // renamed meanwhile
}

// rundll32 ends the module's name at the first comma, and Explorer puts an argument in place
// of '%' and a digit wherever they stand, quotes or not.
bool IsCarriedByCommand(const wchar_t* path)
{
    for (const wchar_t* character = path; *character; ++character) {
        if (*character == L',' || (*character == L'%' && character[1] >= L'0' && character[1] <= L'9'))
            return false;
    }
    return true;
}

// The module as the command names it: the loader's path, or its short form where only that
// can be carried.
HRESULT CommandModulePath(WideText& path)
{
    DWORD length = 0;
    HRESULT result = ModuleFilePath(AtlModuleInstance(), path, length);
    if (FAILED(result) || IsCarriedByCommand(path.get()))
        return result;
    WideText shortPath;
    if ((result = ConvertedPath(GetShortPathNameW, path.get(), shortPath)) == E_OUTOFMEMORY)
        return result;
    if (FAILED(result) || !IsCarriedByCommand(shortPath.get()))
        return ExplorerVerbPathUnusable;  // a volume without short names gives none, or the long path
    path.swap(shortPath);
    return S_OK;
}

// The command line that the verb runs for this module, each path quoted so that a blank in it
// cannot split the command.
HRESULT VerbCommand(WideText& command)
{
    wchar_t rundll32[MAX_PATH + 16];
    WideText module;
    const HRESULT found = CommandModulePath(module);
    if (FAILED(found))
        return found;
    if (!Rundll32Path(rundll32))
        return E_FAIL;
    const wchar_t* const parts[] = {L"\"", rundll32, L"\" \"", module.get(), CommandEntry};
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

// Paths name the same file whatever their case, so they are compared in upper case.
void ToUpper(wchar_t* text)
{
    CharUpperBuffW(text, static_cast<DWORD>(wcslen(text)));
}

// The long form of a path in upper case; the path itself when the file is not there to ask.
HRESULT LongUpperPath(const wchar_t* path, WideText& longPath)
{
    const HRESULT converted = ConvertedPath(GetLongPathNameW, path, longPath);
    if (converted == E_OUTOFMEMORY)
        return converted;
    if (FAILED(converted)) {
        longPath = CopyWideText(path, wcslen(path));
        if (!longPath)
            return E_OUTOFMEMORY;
    }
    ToUpper(longPath.get());
    return S_OK;
}

// What a removal compares: this module's rundll32 part and its long path, both in upper case.
struct OwnCommand {
    wchar_t start[MAX_PATH + 24];  // "rundll32" "
    WideText longModule;
};

HRESULT MakeOwnCommand(OwnCommand& own)
{
    wchar_t rundll32[MAX_PATH + 16];
    if (!Rundll32Path(rundll32))
        return E_FAIL;
    wsprintfW(own.start, L"\"%s\" \"", rundll32);
    ToUpper(own.start);
    WidePath module;
    DWORD length = 0;
    const HRESULT found = ModuleFilePath(AtlModuleInstance(), module, length);
    return FAILED(found) ? found : LongUpperPath(module.get(), own.longModule);
}

// A command's default value whole, whatever its length; null when it is absent or no text.
HRESULT ReadCommand(const wchar_t* commandPath, WideText& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, commandPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return S_OK;
    DWORD type = 0;
    DWORD bytes = 0;
    LONG error = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &bytes);
    if (error == ERROR_SUCCESS && type == REG_SZ) {
        value = NewWideText(bytes / sizeof(wchar_t) + 1);  // a stored text may lack its zero
        error = value ? RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.get()), &bytes)
                      : ERROR_OUTOFMEMORY;
    }
    RegCloseKey(key);
    if (error == ERROR_OUTOFMEMORY)
        return E_OUTOFMEMORY;
    if (error != ERROR_SUCCESS || type != REG_SZ)
        value.reset();  // changed since it was measured, or not a text: not ours
    return S_OK;
}

// Ours when it is this module's command through either of its names: installed by its short
// path, removed by its long one (or the other way round), the verb is still found.
HRESULT IsOurCommand(const wchar_t* commandPath, const OwnCommand& own, bool& isOurs)
{
    isOurs = false;
    WideText value;
    HRESULT result = ReadCommand(commandPath, value);
    if (FAILED(result) || !value)
        return result;
    ToUpper(value.get());
    wchar_t endEntry[sizeof CommandEntry / sizeof *CommandEntry];
    wcscpy(endEntry, CommandEntry);
    ToUpper(endEntry);
    const size_t length = wcslen(value.get());
    const size_t startLength = wcslen(own.start);
    const size_t endLength = wcslen(endEntry);
    if (length <= startLength + endLength || wcsncmp(value.get(), own.start, startLength) != 0 ||
        wcscmp(value.get() + length - endLength, endEntry) != 0)
        return S_OK;
    value[length - endLength] = L'\0';
    WideText longModule;
    if (FAILED(result = LongUpperPath(value.get() + startLength, longModule)))
        return result;
    isOurs = wcscmp(longModule.get(), own.longModule.get()) == 0;
    return S_OK;
}

HRESULT RemoveVerb(const char* extension, const OwnCommand& own)
{
    const VerbKeys keys = KeysOf(extension);
    bool isOurs = false;
    const HRESULT read = IsOurCommand(keys.command, own, isOurs);
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
    wchar_t verbText[64] = {};
    if (LoadStringW(AtlModuleInstance(), TextExplorerVerb, verbText, sizeof verbText / sizeof *verbText) <= 0)
        return LastErrorResult();
    for (const char* extension : PictureExtensions) {
        const VerbKeys keys = KeysOf(extension);
        HRESULT result = SetText(HKEY_CURRENT_USER, keys.verb, verbText);
        if (SUCCEEDED(result))
            result = SetText(HKEY_CURRENT_USER, keys.command, command.get());
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

HRESULT RemoveExplorerVerb()
{
    OwnCommand own;
    const HRESULT made = MakeOwnCommand(own);
    if (FAILED(made))
        return made;
    HRESULT outcome = S_OK;
    for (const char* extension : PictureExtensions) {  // one failure must not keep the others
        HRESULT result = RemoveVerb(extension, own);
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
