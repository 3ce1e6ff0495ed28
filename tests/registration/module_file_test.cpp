// The built Orvane.dll as a file: its version record and the libraries it imports.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> VersionRecord()
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(ORVANE_MODULE_PATH_W, &handle);
    std::vector<BYTE> record(size);
    if (size == 0 || !GetFileVersionInfoW(ORVANE_MODULE_PATH_W, 0, size, record.data()))
        record.clear();
    return record;
}

// For messages: the names are ASCII.
std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += static_cast<char>(c);
    return narrow;
}

struct VersionString {
    const wchar_t* name;
    const wchar_t* text;
};

TEST(ModuleFile, VersionRecordHoldsEveryFieldAndFlag)
{
    std::vector<BYTE> record = VersionRecord();
    ASSERT_FALSE(record.empty());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010003u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010003u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, static_cast<DWORD>(VS_FF_PRIVATEBUILD));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileSubtype, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    const VersionString strings[] = {
        {L"Comments", L""},
        {L"CompanyName", L"http://www.example.org/orvane/"},
        {L"FileDescription", L"EXIF information viewer for IE."},
        {L"FileVersion", L"1.3"},
        {L"InternalName", L"Orvane"},
        {L"LegalCopyright", L"Copyright (C) 2003 Orvane"},
        {L"LegalTrademarks", L""},
        {L"OLESelfRegister", L""},
        {L"OriginalFilename", L"Orvane.dll"},
        {L"PrivateBuild", L"030228"},
        {L"ProductName", L"Orvane"},
        {L"ProductVersion", L"1.3"},
        {L"SpecialBuild", L""},
    };
    for (const VersionString& expected : strings) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + expected.name;
        wchar_t* text = nullptr;
        length = 0;
        // An empty value must still be there: "OLESelfRegister" counts by its presence.
        ASSERT_TRUE(VerQueryValueW(record.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << Narrow(query);
        std::wstring value = length ? std::wstring(text, wcsnlen(text, length)) : std::wstring();
        EXPECT_EQ(value, expected.text) << Narrow(query);
    }
}

// The names of the DLLs in the module's import directory, lower case.
std::vector<std::string> ImportedLibraries(HMODULE module)
{
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    auto descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; directory.VirtualAddress && descriptor->Name; ++descriptor) {
        std::string name = reinterpret_cast<const char*>(base + descriptor->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ModuleFile, ImportsSystemLibrariesOnly)
{
    HMODULE module = LoadLibraryW(ORVANE_MODULE_PATH_W);
    ASSERT_NE(module, nullptr);
    std::vector<std::string> imports = ImportedLibraries(module);
    FreeLibrary(module);
    const std::vector<std::string> system = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll",
                                             "kernel32.dll", "msvcrt.dll",   "ole32.dll",    "oleaut32.dll",
                                             "shell32.dll",  "user32.dll",   "version.dll",  "wininet.dll"};
    for (const std::string& name : imports)
        EXPECT_TRUE(std::binary_search(system.begin(), system.end(), name)) << name;
    // The registry and the type library are reached directly: no runtime library in between.
    for (const char* needed : {"advapi32.dll", "oleaut32.dll"})
        EXPECT_TRUE(std::binary_search(imports.begin(), imports.end(), needed)) << needed;
}

}  // namespace
