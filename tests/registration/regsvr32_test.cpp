// Orvane.dll registered and unregistered by regsvr32, as a user installs it: every entry, the
// type library, twice, and beside other programs' keys.
#include "registration_checks.h"

#include "view/orvane.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The path as the loader gives it to the module, which is what the module registers.
std::string LoadedModulePath()
{
    HMODULE module = LoadLibraryA(ORVANE_MODULE_PATH);
    char path[MAX_PATH + 1] = {};
    if (module) {
        GetModuleFileNameA(module, path, MAX_PATH + 1);
        FreeLibrary(module);
    }
    return path;
}

// regsvr32 of this program's own architecture, from the system folder that Wine maps for it.
DWORD RunRegsvr32(const char* switches)
{
    std::string commandLine = std::string("regsvr32.exe ") + switches + " \"" + ORVANE_MODULE_PATH + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return GetLastError();
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

std::wstring RegisteredTypeLibraryPath()
{
    BSTR path = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(LIBID_ORVANELib, 1, 0, 0, &path)))
        return L"";
    std::wstring text(path, SysStringLen(path));
    SysFreeString(path);
    return text;
}

std::wstring Widen(const std::string& text)
{
    wchar_t wide[MAX_PATH + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH + 1);
    return wide;
}

TEST(Regsvr32, RegistersTwiceAndUnregistersBesideOtherPrograms)
{
    const std::string modulePath = LoadedModulePath();
    ASSERT_FALSE(modulePath.empty()) << ORVANE_MODULE_PATH;
    ASSERT_EQ(RegisteredTypeLibraryPath(), L"") << "a fresh prefix has no Orvane type library";
    CheckRegistrationRound(
        modulePath,
        [&] {
            EXPECT_EQ(RunRegsvr32("/s"), 0u);
            EXPECT_EQ(RegisteredTypeLibraryPath(), Widen(modulePath));
            return !testing::Test::HasFailure();
        },
        [&] {
            EXPECT_EQ(RunRegsvr32("/u /s"), 0u);
            EXPECT_EQ(RegisteredTypeLibraryPath(), L"");
            return !testing::Test::HasFailure();
        });
}

}  // namespace
