// The module's own registrar script: its bytes, and exactly the entries it writes and removes.
#include "memory_registry.h"
#include "atl/registrar/registrar.h"
#include "resources/code_page_936.h"
#include "resources/identifiers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Hangul: the registered path keeps characters that the script's code page has not.
const char* const ModulePath = "C:\\Program Files\\\uC0AC\uC9C4 \uBCF4\uAE30\\Orvane.dll";

std::string ScriptBytes()
{
    std::ifstream file(ORVANE_REGISTRAR_SCRIPT, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Braced(const Guid& id)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", id.data1, id.data2,
                  id.data3, id.data4[0], id.data4[1], id.data4[2], id.data4[3], id.data4[4], id.data4[5],
                  id.data4[6], id.data4[7]);
    return text;
}

const char* const MenuText = "查看 Exif 信息(&V)";

RegistrarOutcome RunScript(MemoryRegistry& registry, const std::string& script, RegistrarMode mode)
{
    return UpdateRegistryFromScript(script.data(), script.size(), {ModulePath, std::strlen(ModulePath)},
                                    DecodeCp936ForTests, registry, mode);
}

TEST(OrvaneScript, BytesAreAsciiWithCrLfAndTheMenuTextInCodePage936)
{
    std::string script = ScriptBytes();
    ASSERT_FALSE(script.empty()) << ORVANE_REGISTRAR_SCRIPT;
    char menuBytes[64];
    Utf8ToCp936(MenuText, menuBytes, sizeof menuBytes);
    std::string menu = "'" + std::string(menuBytes) + "'";
    ASSERT_EQ(menu.size(), 20u);  // four Chinese characters of two bytes each, quoted
    size_t at = script.find(menu);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(script.find(menu, at + 1), std::string::npos);
    script.erase(at, menu.size());
    for (size_t i = 0; i < script.size(); ++i) {
        ASSERT_LT(static_cast<unsigned char>(script[i]), 0x80) << "byte " << i;
        if (script[i] == '\n') {
            ASSERT_TRUE(i > 0 && script[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
}

const std::string ClassKey = "HKCR\\CLSID\\" + Braced(ClassIdView);
const std::string MenuKey = "HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt\\" + std::string(MenuText);

TEST(OrvaneScript, RegistersTheClassTheProgIdsAndTheMenuEntry)
{
    MemoryRegistry registry;
    RegistrarOutcome outcome = RunScript(registry, ScriptBytes(), RegistrarMode::Register);
    ASSERT_EQ(outcome.kind, RegistrarOutcome::Kind::Done) << outcome.message;
    Lines expected = {
        "HKCR\\Orvane.View.1",
        "HKCR\\Orvane.View.1\\@ = s:View Class",
        "HKCR\\Orvane.View.1\\CLSID",
        "HKCR\\Orvane.View.1\\CLSID\\@ = s:" + Braced(ClassIdView),
        "HKCR\\Orvane.View",
        "HKCR\\Orvane.View\\@ = s:View Class",
        "HKCR\\Orvane.View\\CLSID",
        "HKCR\\Orvane.View\\CLSID\\@ = s:" + Braced(ClassIdView),
        "HKCR\\Orvane.View\\CurVer",
        "HKCR\\Orvane.View\\CurVer\\@ = s:Orvane.View.1",
        "HKCR\\CLSID",
        ClassKey,
        ClassKey + "\\@ = s:View Class",
        ClassKey + "\\ProgID",
        ClassKey + "\\ProgID\\@ = s:Orvane.View.1",
        ClassKey + "\\VersionIndependentProgID",
        ClassKey + "\\VersionIndependentProgID\\@ = s:Orvane.View",
        ClassKey + "\\Programmable",
        ClassKey + "\\InprocServer32",
        ClassKey + "\\InprocServer32\\@ = s:" + ModulePath,
        ClassKey + "\\InprocServer32\\ThreadingModel = s:Apartment",
        ClassKey + "\\TypeLib",
        ClassKey + "\\TypeLib\\@ = s:" + Braced(LibraryIdOrvane),
        "HKCU\\Software",
        "HKCU\\Software\\Microsoft",
        "HKCU\\Software\\Microsoft\\Internet Explorer",
        "HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt",
        MenuKey,
        MenuKey + "\\@ = s:res://" + ModulePath + "/ORVANE.HTML",
        MenuKey + "\\Contexts = d:2",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(registry.Content(), expected);

    // The keys are made in the order the script lists them.
    Lines created;
    for (const std::string& change : registry.Changes())
        if (change.rfind("create ", 0) == 0)
            created.push_back(change.substr(7));
    EXPECT_EQ(created.front(), "HKCR\\Orvane.View.1");
    EXPECT_EQ(created.back(), MenuKey);
}

TEST(OrvaneScript, UnregisteringLeavesTheSharedKeysAndOtherProgramsEntries)
{
    const std::string script = ScriptBytes();
    const Lines shared = {"HKCR\\CLSID", "HKCU\\Software", "HKCU\\Software\\Microsoft",
                          "HKCU\\Software\\Microsoft\\Internet Explorer",
                          "HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt"};
    const Lines others = {"HKCR\\CLSID\\{00000000-1111-2222-3333-444444444444}",
                          "HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt\\Other"};
    const std::string othersScript = "HKCR { CLSID { {00000000-1111-2222-3333-444444444444} } } "
                                     "HKCU { Software { Microsoft { 'Internet Explorer' { MenuExt { Other } } } } }";
    // Alone, Microsoft stays too: it is unmarked, but Internet Explorer below it is kept.
    for (bool withOthers : {false, true}) {
        MemoryRegistry registry;
        Lines expected = shared;
        if (withOthers) {
            ASSERT_EQ(RunScript(registry, othersScript, RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
            expected.insert(expected.end(), others.begin(), others.end());
        }
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(RunScript(registry, script, RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
        ASSERT_EQ(RunScript(registry, script, RegistrarMode::Unregister).kind, RegistrarOutcome::Kind::Done);
        EXPECT_EQ(registry.Content(), expected) << (withOthers ? "beside other programs" : "alone");
    }
}

}  // namespace
