// The Explorer verb as a user meets it: regsvr32 /i:explorer writes it, its command line taken
// from the registry and run opens the dialog or tells the reader's message, and removal takes
// back only this module's verb.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

const std::wstring Classes = L"Software\\Classes\\SystemFileAssociations\\";
const std::wstring Caption = L"Exif 属性";
const std::wstring FailureCaption = L"Orvane";  // every failure box's
const wchar_t* const NoExif = L"该图片没有 EXIF 信息。";
const wchar_t* const Absent = L"<absent>";

std::wstring VerbPath(const std::wstring& extension)
{
    return Classes + extension + L"\\shell\\Orvane.ShowExif";
}

// The default value of an HKCU key if it is a REG_SZ.
std::wstring ReadText(const std::wstring& path)
{
    wchar_t text[1024] = {};
    DWORD bytes = sizeof text;
    LONG error = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes);
    return error == ERROR_SUCCESS ? text : Absent;
}

void WriteText(const std::wstring& path, const std::wstring& text)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))), ERROR_SUCCESS);
}

// As the loader names the module, which is what the module writes.
std::wstring ModulePath()
{
    HMODULE module = LoadLibraryW(ORVANE_MODULE_PATH_W);
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(module, path, MAX_PATH + 1);
    FreeLibrary(module);
    return path;
}

// The 32-bit module needs the 32-bit rundll32 of a 64-bit system, which Explorer would not pick.
std::wstring ExpectedCommand()
{
    BOOL isWow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &isWow64);
    const std::wstring folder = isWow64 ? L"C:\\windows\\syswow64" : L"C:\\windows\\system32";
    return L"\"" + folder + L"\\rundll32.exe\" \"" + ModulePath() + L"\",ShowExif \"%1\"";
}

struct Program {
    PROCESS_INFORMATION process{};

    explicit Program(std::wstring commandLine)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    }
    // The exit code once it has ended within 20 s; otherwise it is ended and STILL_ACTIVE given.
    DWORD Finish()
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return code;
    }
};

DWORD RunRegsvr32(const std::wstring& switches, const std::wstring& module = ModulePath())
{
    return Program(L"regsvr32.exe /s " + switches + L" \"" + module + L"\"").Finish();
}

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

struct SeenWindow {
    HWND window = nullptr;
    DWORD processId = 0;
    std::wstring caption;
    int rowCount = 0;
    std::wstring firstRow;            // "label<TAB>text" of a list-view
    std::vector<std::wstring> texts;  // non-empty static texts: a message box's message
};

BOOL CALLBACK KeepDialog(HWND window, LPARAM place)
{
    auto& seen = *reinterpret_cast<SeenWindow*>(place);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != seen.processId || lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window) ||
        (TextOf(window).rfind(Caption, 0) != 0 && TextOf(window) != FailureCaption))
        return TRUE;
    seen.window = window;
    return FALSE;
}

BOOL CALLBACK KeepStaticText(HWND child, LPARAM place)
{
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Static") == 0 && !TextOf(child).empty())
        reinterpret_cast<std::vector<std::wstring>*>(place)->push_back(TextOf(child));
    return TRUE;
}

// The list lives in another process: the request and its text must live there too.
std::wstring ItemText(HWND list, HANDLE process, char* remote, int column)
{
    wchar_t text[260] = {};
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = reinterpret_cast<wchar_t*>(remote + sizeof request);
    request.cchTextMax = 260;
    WriteProcessMemory(process, remote, &request, sizeof request, nullptr);
    SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, request.pszText, text, sizeof text - sizeof *text, nullptr);
    return text;
}

// Waits up to 30 s for the process's dialog captioned "Exif 属性..." or its failure box, reads
// it, closes it (Cancel for the properties dialog, OK for a message box) and waits until it is gone.
SeenWindow ReadAndCloseDialog(DWORD processId)
{
    SeenWindow seen;
    seen.processId = processId;
    for (DWORD start = GetTickCount(); !seen.window && GetTickCount() - start < 30000; Sleep(100))
        EnumWindows(KeepDialog, reinterpret_cast<LPARAM>(&seen));
    if (!seen.window)
        return seen;
    seen.caption = TextOf(seen.window);
    EnumChildWindows(seen.window, KeepStaticText, reinterpret_cast<LPARAM>(&seen.texts));
    HWND list = FindWindowExW(seen.window, nullptr, WC_LISTVIEWW, nullptr);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    if (list && remote) {
        seen.rowCount = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        seen.firstRow = ItemText(list, process, remote, 0) + L"\t" + ItemText(list, process, remote, 1);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    PostMessageW(seen.window, WM_COMMAND, list ? IDCANCEL : IDOK, 0);
    for (DWORD start = GetTickCount(); IsWindow(seen.window) && GetTickCount() - start < 10000;)
        Sleep(50);
    return seen;
}

// The samples' folder as Explorer would hand it over, with backslashes.
std::wstring Samples()
{
    std::wstring folder = ORVANE_SAMPLES_DIR_W;
    for (wchar_t& character : folder)
        character = character == L'/' ? L'\\' : character;
    return folder;
}

std::wstring SampleCopy(const std::wstring& folder, const std::wstring& name, const wchar_t* sample = L"Canon_40D.jpg")
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    CreateDirectoryW((temp + folder).c_str(), nullptr);
    const std::wstring path = temp + folder + L"\\" + name;
    EXPECT_TRUE(CopyFileW((Samples() + L"\\" + sample).c_str(), path.c_str(), FALSE)) << GetLastError();
    return path;
}

struct VerbCase {
    const char* what;
    std::wstring path;
    const wchar_t* message;  // null: the properties dialog lists Canon_40D.jpg
    bool isAnsiEntry;        // ShowExif called here, as a rundll32 that knows no W entry would
    bool isCaptionPath = true;  // the caption names the path (as far as it is not cut)
    int rowCount = 17;          // the rows and the first of them that the dialog lists
    const wchar_t* firstRow = L"相机厂商\tCanon";
};

void RunCase(const VerbCase& test, std::wstring line)
{
    SCOPED_TRACE(test.what);
    SeenWindow seen;
    if (test.isAnsiEntry) {
        char ansi[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, (L"\"" + test.path + L"\"").c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
        HMODULE module = LoadLibraryW(ORVANE_MODULE_PATH_W);
        auto entry = reinterpret_cast<void(CALLBACK*)(HWND, HINSTANCE, LPSTR, int)>(
            reinterpret_cast<void*>(GetProcAddress(module, "ShowExif")));
        ASSERT_NE(entry, nullptr);
        std::thread caller([&] { entry(nullptr, module, ansi, SW_SHOWNORMAL); });
        seen = ReadAndCloseDialog(GetCurrentProcessId());
        if (!seen.window) {
            caller.detach();  // left in whatever it shows; the module stays loaded for it
        } else {
            caller.join();
            FreeLibrary(module);
        }
    } else {
        Program rundll32(line.replace(line.find(L"%1"), 2, test.path));
        seen = ReadAndCloseDialog(rundll32.process.dwProcessId);
        EXPECT_EQ(rundll32.Finish(), 0u) << "nothing may follow the dialog or the message box";
    }
    ASSERT_TRUE(seen.window);
    if (test.message) {
        EXPECT_EQ(seen.caption, FailureCaption);
        EXPECT_EQ(seen.texts, std::vector<std::wstring>{test.message});
    } else {
        EXPECT_EQ(seen.caption.rfind(Caption + L" - ", 0), 0u) << "caption";
        if (test.isCaptionPath) {  // the path clicked, not one the address rules made of it
            EXPECT_EQ(seen.caption, (Caption + L" - " + test.path).substr(0, seen.caption.size()));
        }
        EXPECT_EQ(seen.rowCount, test.rowCount);
        EXPECT_EQ(seen.firstRow, test.firstRow);
    }
}

TEST(ExplorerVerb, Regsvr32WritesTheVerbThatOpensPicturesWithoutTheClass)
{
    // Only the word "explorer", in any case, installs or removes the verb. /n leaves out the
    // class, as a user without administrator rights installs the verb.
    const struct {
        const wchar_t* switches;
        bool isRefused;
        bool isWritten;
    } steps[] = {
        {L"/n /i:browser", true, false}, {L"/n /i", true, false},
        {L"/n /i:EXPLORER", false, true}, {L"/u /n /i:browser", true, true},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(RunRegsvr32(step.switches) != 0, step.isRefused) << "step " << &step - steps;
        EXPECT_EQ(ReadText(VerbPath(L".jpg")) != Absent, step.isWritten);
    }
    HKEY classKey = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Orvane.View", 0, KEY_READ, &classKey), ERROR_SUCCESS);
    for (const wchar_t* extension :
         {L".jpg", L".jpeg", L".jpe", L".jfif", L".heic", L".heif", L".hif", L".avif", L".tif", L".tiff", L".dng",
          L".png", L".webp", L".cr2", L".cr3", L".nef", L".nrw", L".arw", L".sr2", L".srf", L".raf", L".orf",
          L".rw2", L".rwl", L".pef", L".srw", L".3fr", L".erf", L".mef", L".mos", L".iiq", L".kdc", L".dcr",
          L".mrw"}) {
        EXPECT_EQ(ReadText(VerbPath(extension)), L"查看 Exif 信息(&V)") << extension;
        EXPECT_EQ(ReadText(VerbPath(extension) + L"\\command"), ExpectedCommand());
    }
    const std::wstring samples = Samples();
    const std::wstring inCodePage = SampleCopy(L"照片 集", L"Canon 40D.jpg");
    const VerbCase cases[] = {
        {"a photograph", samples + L"\\Canon_40D.jpg", nullptr, false},
        {"the same photograph as HEIC", samples + L"\\containers\\Canon_40D.heic", nullptr, false},
        {"the same photograph as CR3", samples + L"\\raw\\Canon_40D.cr3", nullptr, false},
        {"a raw file, as its JPEG twin", samples + L"\\raw\\Nikon_D70.rw2", nullptr, false, true, 16, L"相机厂商\tNIKON CORPORATION"},
        {"a JPEG without EXIF", samples + L"\\jfif_then_exif.jpg", NoExif, false},
        {"a missing file", samples + L"\\missing.jpg", L"不能读取图片，如果图片尚未下载完毕，请稍后重试。", false},
        {"code page 936 and blanks", inCodePage, nullptr, false},
        // Names that an address or the ANSI file functions would not carry: each is its own file.
        {"outside code page 936", SampleCopy(L"other", L"한국 사진.jpg"), nullptr, false, false},
        {"a literal %20", SampleCopy(L"other", L"100%20 done.jpg"), nullptr, false},
        {"an 8.3 name with %20 beside its blank twin", SampleCopy(L"pct", L"A%20B.JPG", L"jfif_then_exif.jpg"), NoExif,
         false},
        {"the blank twin", SampleCopy(L"pct", L"A B.JPG"), nullptr, false},
        {"a folder with %20", SampleCopy(L"a%20b", L"c%20d.jpg"), nullptr, false},
        {"MAX_PATH or longer", SampleCopy(std::wstring(240, L'a'), L"Canon 40D.jpg"), nullptr, false},
        {"the ANSI entry", inCodePage, nullptr, true},
        {"the ANSI entry, a message", samples + L"\\jfif_then_exif.jpg", NoExif, true},
    };
    for (const VerbCase& test : cases)
        RunCase(test, ReadText(VerbPath(L".jpg") + L"\\command"));
    EXPECT_EQ(RunRegsvr32(L"/u /n /i:explorer"), 0u);
    EXPECT_EQ(ReadText(VerbPath(L".jpg")), Absent);
}

TEST(ExplorerVerb, RemovalTakesBackOnlyThisModulesVerb)
{
    const std::wstring otherVerb = Classes + L".jpg\\shell\\Other.Open\\command";
    const std::wstring otherCopy = L"\"C:\\windows\\system32\\rundll32.exe\" \"C:\\Other\\Orvane.dll\",ShowExif \"%1\"";
    for (const wchar_t* removal : {L"/u /i:explorer", L"/u"}) {
        SCOPED_TRACE(std::string(removal, removal + wcslen(removal)));
        WriteText(otherVerb, L"other.exe \"%1\"");
        ASSERT_EQ(RunRegsvr32(L"/i:explorer"), 0u);
        ASSERT_EQ(ReadText(VerbPath(L".jfif") + L"\\command"), ExpectedCommand());
        WriteText(VerbPath(L".jpe") + L"\\command", otherCopy);  // another copy installed since
        std::wstring upper = ExpectedCommand();                   // the same file, spelled otherwise
        CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
        WriteText(VerbPath(L".jpeg") + L"\\command", upper);

        EXPECT_EQ(RunRegsvr32(removal), 0u);
        for (const wchar_t* extension : {L".jpg", L".jpeg", L".jfif", L".cr3", L".mrw"})
            EXPECT_EQ(ReadText(VerbPath(extension)), Absent) << extension;
        EXPECT_EQ(ReadText(VerbPath(L".jpe") + L"\\command"), otherCopy);
        EXPECT_EQ(ReadText(otherVerb), L"other.exe \"%1\"");
        RegDeleteTreeW(HKEY_CURRENT_USER, VerbPath(L".jpe").c_str());
    }
}

// A copy of the module where a user might unpack it.
std::wstring ModuleCopy(const std::wstring& folder)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    CreateDirectoryW((temp + folder).c_str(), nullptr);
    const std::wstring path = temp + folder + L"\\Orvane.dll";
    EXPECT_TRUE(CopyFileW(ORVANE_MODULE_PATH_W, path.c_str(), FALSE)) << GetLastError();
    return path;
}

std::wstring ShortPath(const std::wstring& path)
{
    wchar_t shortPath[MAX_PATH] = {};
    GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return shortPath;
}

// Installed with /n, the verb comes without class and type library; either name of the module,
// long or short, removes it.
TEST(ExplorerVerb, RemovalSucceedsAfterAVerbOnlyInstallAndUnderEitherNameOfTheModule)
{
    const std::wstring longPath = ModuleCopy(L"Orvane module copy"), shortPath = ShortPath(longPath);
    ASSERT_NE(shortPath, longPath);
    const struct {
        const std::wstring& installPath;
        const wchar_t* removal;
        const std::wstring& removalPath;
    } steps[] = {{longPath, L"/u", longPath}, {shortPath, L"/u /n /i:explorer", longPath},
                 {shortPath, L"/u", longPath}, {longPath, L"/u /n /i:explorer", shortPath}};
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << &step - steps);
        ASSERT_EQ(RunRegsvr32(L"/n /i:explorer", step.installPath), 0u);
        ASSERT_NE(ReadText(VerbPath(L".jpg")), Absent);
        EXPECT_EQ(RunRegsvr32(step.removal, step.removalPath), 0u);
        for (const wchar_t* extension : {L".jpg", L".jpeg", L".jpe", L".jfif"})
            EXPECT_EQ(ReadText(VerbPath(extension)), Absent) << extension;
    }
}

// rundll32 cuts the module's name at a comma, and Explorer puts the picture's path in place of
// "%1" wherever it stands: such a folder is reached by its short name, or not installed at all.
TEST(ExplorerVerb, ModuleFoldersTheCommandCannotCarryGoByTheirShortName)
{
    const HRESULT Unusable = HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);
    const struct {
        const wchar_t* folder;
        HRESULT installed;
    } cases[] = {
        {L"Orvane, copy", S_OK},
        {L"Orvane %1 copy", S_OK},
        {L"Orvane 100%", S_OK},   // '%' before no digit is carried as it is
        {L"A%1", Unusable},       // already a short name: it has no other
        {L"B%2,C", Unusable},     // nor has its short name's folder ...
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &test - cases);
        const std::wstring module = ModuleCopy(test.folder);
        HMODULE loaded = LoadLibraryW(module.c_str());
        auto install = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR)>(
            reinterpret_cast<void*>(GetProcAddress(loaded, "DllInstall")));
        ASSERT_NE(install, nullptr);
        EXPECT_EQ(install(TRUE, L"explorer"), test.installed);
        const std::wstring command = ReadText(VerbPath(L".jpeg") + L"\\command");
        if (SUCCEEDED(test.installed))
            RunCase({"the command", Samples() + L"\\Canon_40D.jpg", nullptr, false}, command);
        else
            EXPECT_EQ(command, Absent);
        EXPECT_EQ(install(FALSE, L"explorer"), S_OK);
        EXPECT_EQ(ReadText(VerbPath(L".jpeg")), Absent);
        FreeLibrary(loaded);
    }
}

}  // namespace
