// The registrar script reader: what it accepts, and a clear refusal of everything else.
#include "atl/registrar/registry_script.h"

#include <gtest/gtest.h>

namespace {

const Replacements Module = {{"MODULE", "C:\\Orvane's {dir}\\Orvane.dll"}};

bool Parse(const std::string& text, RegistryScript& script, std::string& error)
{
    return ParseRegistryScript(text.data(), text.size(), Module, script, error);
}

struct Refusal {
    const char* text;
    const char* reason;  // a part of the message
};

TEST(ScriptGrammar, RefusesMalformedScripts)
{
    const Refusal cases[] = {
        {"HKLM { A }", "expected HKCR or HKCU, found 'HKLM'"},
        {"HKCR A", "expected '{' after the root"},
        {"HKCR { A { B ", "'{' of key A is never closed"},
        {"HKCR { A ", "'{' of the root is never closed"},
        {"HKCR { A = s 'x }", "without its closing quote"},
        {"HKCR { A = s 'x\r\n' }", "runs past the end of its line"},
        {"HKCR { A = x 'y' }", "expected the value type s or d"},
        {"HKCR { A = s y }", "expected a quoted value"},
        {"HKCR { A = d '4294967296' }", "not a 32-bit number: '4294967296'"},
        {"HKCR { A = d '12a' }", "not a 32-bit number"},
        {"HKCR { A = d '' }", "not a 32-bit number"},
        {"HKCR { A = d '0x' }", "not a 32-bit number"},
        {"HKCR { Delete A }", "the marking Delete is not supported"},
        {"HKCR { val A = s 'x' }", "a named value belongs inside a key's braces"},
        {"HKCR { A { val = s 'x' } }", "expected a name"},
        {"HKCR { A { val B s 'x' } }", "expected '=' after the value name B"},
        {"HKCR { '' }", "empty name"},
        {"HKCR { {6D3B = s 'x' }", "braced name without its"},
        {"HKCR { 'A\\B' }", "a name may not hold a backslash"},
        {"HKCR { A = s '%OTHER%' }", "no replacement for %OTHER%"},
        {"HKCR { A = s '50%' }", "'%' without its closing '%'"},
        {"HKCR { '\x81' }", "broken double-byte character"},
        {"HKCR { A\x01 }", "control byte in a name"},
        {"HKCR\r\n{\r\n  A = s 'x' }\r\n  }", "line 4: expected HKCR or HKCU"},
    };
    for (const Refusal& refusal : cases) {
        RegistryScript script;
        std::string error;
        EXPECT_FALSE(Parse(refusal.text, script, error)) << refusal.text;
        EXPECT_NE(error.find(refusal.reason), std::string::npos) << refusal.text << " gave: " << error;
        EXPECT_TRUE(script.roots.empty()) << refusal.text;
    }
    RegistryScript script;
    std::string error;
    EXPECT_FALSE(Parse(std::string("HKCR { A }\0", 11), script, error));
    EXPECT_EQ(error, "line 1: NUL byte in the script");
}

TEST(ScriptGrammar, RefusesNestingBeyondItsBound)
{
    std::string text = "HKCR {";
    for (int i = 0; i < 40; ++i)
        text += " K {";
    text += std::string(41, '}');
    RegistryScript script;
    std::string error;
    EXPECT_FALSE(Parse(text, script, error));
    EXPECT_NE(error.find("nested too deeply"), std::string::npos) << error;
}

TEST(ScriptGrammar, ReplacementsAreTextNotScript)
{
    // The module path holds a quote and braces: substituted after reading, it stays one value.
    RegistryScript script;
    std::string error;
    ASSERT_TRUE(Parse("HKCR { A = s '%MODULE%' { val 'It''s' = s '100%%' } }", script, error)) << error;
    const ScriptKey& key = script.roots.at(0).keys.at(0);
    EXPECT_EQ(key.defaultValue.text, "C:\\Orvane's {dir}\\Orvane.dll");
    ASSERT_EQ(key.values.size(), 1u);
    EXPECT_EQ(key.values[0].name, "It's");
    EXPECT_EQ(key.values[0].value.text, "100%");
}

TEST(ScriptGrammar, ReadsMarkingsNumbersAndNesting)
{
    RegistryScript script;
    std::string error;
    ASSERT_TRUE(Parse("HKEY_CURRENT_USER { noremove A { forceremove B = d '0x1F' { val N = d '4294967295' } C } }"
                      "\r\nHKCR { D }",
                      script, error)) << error;
    ASSERT_EQ(script.roots.size(), 2u);
    EXPECT_EQ(script.roots[0].root, RegistryRoot::CurrentUser);
    EXPECT_EQ(script.roots[1].root, RegistryRoot::ClassesRoot);
    const ScriptKey& a = script.roots[0].keys.at(0);
    EXPECT_EQ(a.marking, KeyMarking::NoRemove);
    EXPECT_FALSE(a.hasDefault);
    ASSERT_EQ(a.subkeys.size(), 2u);
    const ScriptKey& b = a.subkeys[0];
    EXPECT_EQ(b.marking, KeyMarking::ForceRemove);
    EXPECT_EQ(b.defaultValue.type, ValueType::Number);
    EXPECT_EQ(b.defaultValue.number, 0x1Fu);
    EXPECT_EQ(b.values.at(0).value.number, 0xFFFFFFFFu);
    EXPECT_EQ(a.subkeys[1].name, "C");
    EXPECT_EQ(a.subkeys[1].marking, KeyMarking::None);
}

TEST(ScriptGrammar, DoubleByteTrailBytesAreNeverSyntax)
{
    // 0x95 0x5C and 0x81 0x7D are characters whose second byte is '\' and '}'.
    RegistryScript script;
    std::string error;
    ASSERT_TRUE(Parse("HKCR { '\x95\x5C' = s '\x81\x7D' A\x81\x7D\x95\x5C }", script, error)) << error;
    const auto& keys = script.roots.at(0).keys;
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].name, "\x95\x5C");
    EXPECT_EQ(keys[0].defaultValue.text, "\x81\x7D");
    EXPECT_EQ(keys[1].name, "A\x81\x7D\x95\x5C");
}

}  // namespace
