// The registrar over the in-memory registry: scripts and the registry state they leave, scripts
// refused with their line, and a failure at every step.
#include "memory_registry.h"
#include "atl/registrar/registrar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

// A quote, braces and a percent sign: substituted after reading, the path stays one text.
const std::string ModulePath = "C:\\100% {O'}\\Orvane.dll";

RegistrarOutcome RunScript(MemoryRegistry& registry, const std::string& script, RegistrarMode mode)
{
    RegistrarOutcome outcome = UpdateRegistryFromScript(script.data(), script.size(),
                                                        {ModulePath.data(), ModulePath.size()}, DecodeCp936ForTests,
                                                        registry, mode);
    EXPECT_EQ(registry.OpenKeys(), 0u) << "keys left open by: " << script;
    return outcome;
}

std::string Repeated(const std::string& text, int count)
{
    std::string repeated;
    for (int time = 0; time < count; ++time)
        repeated += text;
    return repeated;
}

// Three bytes of UTF-8 each: U+554A.
const std::string Ah = "\xB0\xA1";
const std::string AhUtf8 = "\xE5\x95\x8A";

struct StateCase {
    const char* what;
    const char* before;  // other programs' entries, registered first
    std::string script;
    Lines registered;    // after registering the script, once or twice
    Lines unregistered;  // after unregistering it, once or twice
};

const StateCase StateCases[] = {
    {"values of both kinds, nesting and %MODULE%", "",
     "HKCR\r\n{\r\n\tA = s '%MODULE%' { val N = d '4294967295' val 'It''s' = s '' B = d '0' }\r\n}\r\n",
     {"HKCR\\A", "HKCR\\A\\@ = s:" + ModulePath, "HKCR\\A\\B", "HKCR\\A\\B\\@ = d:0", "HKCR\\A\\It's = s:",
      "HKCR\\A\\N = d:4294967295"},
     {}},
    {"ForceRemove rewrites its key whole; a plain key keeps what others put there",
     "HKCR { K { Stale = s 'old' } P { Extra } }", "HKCR { ForceRemove K = s 'new' P = s 'p' }",
     {"HKCR\\K", "HKCR\\K\\@ = s:new", "HKCR\\P", "HKCR\\P\\@ = s:p", "HKCR\\P\\Extra"},
     {"HKCR\\P", "HKCR\\P\\@ = s:p", "HKCR\\P\\Extra"}},
    {"NoRemove keys and keys with foreign subkeys stay", "HKCU { Top { Middle { Sibling } } }",
     "hkcu { noremove Top { Middle { forceremove Leaf { val Name = s 'x' } } } }",
     {"HKCU\\Top", "HKCU\\Top\\Middle", "HKCU\\Top\\Middle\\Leaf", "HKCU\\Top\\Middle\\Leaf\\Name = s:x",
      "HKCU\\Top\\Middle\\Sibling"},
     {"HKCU\\Top", "HKCU\\Top\\Middle", "HKCU\\Top\\Middle\\Sibling"}},
    {"an unmarked parent goes once its children have gone", "",
     "HKCU { NoRemove Top { Middle { Leaf } } Other }", {"HKCU\\Other", "HKCU\\Top", "HKCU\\Top\\Middle",
                                                          "HKCU\\Top\\Middle\\Leaf"},
     {"HKCU\\Top"}},
    {"a kept key loses only the script's named values", "HKCR { K { val Theirs = s 'y' Sub } }",
     "HKCR { K = s 'd' { val Mine = s 'x' } }",
     {"HKCR\\K", "HKCR\\K\\@ = s:d", "HKCR\\K\\Mine = s:x", "HKCR\\K\\Sub", "HKCR\\K\\Theirs = s:y"},
     {"HKCR\\K", "HKCR\\K\\@ = s:d", "HKCR\\K\\Sub", "HKCR\\K\\Theirs = s:y"}},
    {"trail bytes 0x5C and 0x7D are halves of characters, not syntax", "",
     "HKCR { '\x95\x5C' = s '\x81\x7D' { {6D3B-51AD} } }",
     {"HKCR\\\xE6\x98\x9E", "HKCR\\\xE6\x98\x9E\\@ = s:\xE4\xBA\x87", "HKCR\\\xE6\x98\x9E\\{6D3B-51AD}"},
     {}},
    {"long texts reach the decoder in pieces that split no character", "",
     "HKCR { K = s 'A" + Repeated(Ah, 200) + "%MODULE%" + Repeated(Ah, 200) + "' '" + Repeated(Ah, 255) + "' }",
     {"HKCR\\K", "HKCR\\K\\@ = s:A" + Repeated(AhUtf8, 200) + ModulePath + Repeated(AhUtf8, 200),
      "HKCR\\" + Repeated(AhUtf8, 255)},
     {}},
};

TEST(RegistrarStates, EachScriptLeavesItsEntries)
{
    for (const StateCase& test : StateCases) {
        SCOPED_TRACE(test.what);
        MemoryRegistry registry;
        ASSERT_EQ(RunScript(registry, test.before, RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
        const Lines before = registry.Content();
        RegistrarOutcome outcome = RunScript(registry, test.script, RegistrarMode::Unregister);
        ASSERT_EQ(outcome.kind, RegistrarOutcome::Kind::Done) << outcome.message;
        EXPECT_EQ(registry.Content(), before) << "unregistering what was never registered";
        Lines registered = test.registered;
        Lines unregistered = test.unregistered;
        std::sort(registered.begin(), registered.end());
        std::sort(unregistered.begin(), unregistered.end());
        for (int round = 1; round <= 2; ++round) {
            ASSERT_EQ(RunScript(registry, test.script, RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
            EXPECT_EQ(registry.Content(), registered) << "registration " << round;
        }
        for (int round = 1; round <= 2; ++round) {
            ASSERT_EQ(RunScript(registry, test.script, RegistrarMode::Unregister).kind, RegistrarOutcome::Kind::Done);
            EXPECT_EQ(registry.Content(), unregistered) << "unregistration " << round;
        }
    }
}

TEST(RegistrarStates, ForceRemoveDeletesBeforeItCreates)
{
    MemoryRegistry registry;
    ASSERT_EQ(RunScript(registry, "HKCR { K { Old } }", RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
    const size_t start = registry.Changes().size();
    ASSERT_EQ(RunScript(registry, "HKCR { ForceRemove K }", RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
    EXPECT_EQ(Lines(registry.Changes().begin() + static_cast<std::ptrdiff_t>(start), registry.Changes().end()),
              (Lines{"delete HKCR\\K\\Old", "delete HKCR\\K", "create HKCR\\K"}));
}

struct Refusal {
    std::string script;
    int line;
    const char* reason;  // a part of the message
};

std::string Nested(int depth)
{
    std::string text = "HKCR {";
    for (int level = 0; level < depth; ++level)
        text += " K {";
    for (int level = 0; level <= depth; ++level)
        text += " }";
    return text;
}

TEST(RegistrarRefusals, EachNamesItsLineAndTouchesNothing)
{
    const Refusal refusals[] = {
        {"HKLM { A }", 1, "expected HKCR or HKCU"},
        {"HKCR A", 1, "expected '{' after the root"},
        {"HKCR\r\n{\r\n  A {\r\n", 4, "'{' without its '}'"},
        {"HKCR\r\n{\r\n  A = s 'x' }\r\n  }", 4, "expected HKCR or HKCU"},
        {"HKCR { A = s 'x }", 1, "without its closing quote"},
        {"HKCR {\n A = s 'x\n' }", 2, "line end in quoted text"},
        {"HKCR { 'A\0' }"s, 1, "control byte"},
        {"HKCR { A = x 'y' }", 1, "s or d"},
        {"HKCR { A = S 'y' }", 1, "s or d"},
        {"HKCR { A = s y }", 1, "expected a quoted value"},
        {"HKCR { A = d '4294967296' }", 1, "decimal 32-bit number"},
        {"HKCR { A = d '0x1F' }", 1, "decimal 32-bit number"},
        {"HKCR { A = d '' }", 1, "decimal 32-bit number"},
        {"HKCR { Delete A }", 1, "expected a name"},
        {"HKCR { val A = s 'x' }", 1, "expected a name"},
        {"HKCR { ForceRemove NoRemove A }", 1, "expected a name"},
        {"HKCR { A { val = s 'x' } }", 1, "expected a name"},
        {"HKCR { A {\n val B s 'x' } }", 2, "expected '='"},
        {"HKCR { '' }", 1, "not empty"},
        {"HKCR { 'A\\B' }", 1, "backslash"},
        {"HKCR { A=s 'x' }", 1, "must be quoted"},
        {"HKCR { A\x01 }", 1, "must be quoted"},
        {"HKCR { {} }", 1, "must be quoted"},
        {"HKCR {\n\n {\x81\x30} }", 3, "must be quoted"},
        {"HKCR { A = s '%OTHER%' }", 1, "'%'"},
        {"HKCR { A = s '100%%' }", 1, "'%'"},
        {"HKCR { A = s '%MODULE' }", 1, "'%'"},
        {"HKCR { '\x81\x30' }", 1, "no code page 936 text"},
        {"HKCR { 'A\x81", 1, "cut off by the end"},
        {Nested(33), 1, "nested too deeply"},
        {"HKCR {\n" + std::string(766, 'A') + " }", 2, "longer than 765 bytes"},
        {"HKCR { A {\n val '" + Repeated(Ah, 255) + "A' = d '1' } }", 2, "longer than 765 bytes"},
    };
    for (const Refusal& refusal : refusals) {
        MemoryRegistry registry;
        RegistrarOutcome outcome = RunScript(registry, refusal.script, RegistrarMode::Register);
        EXPECT_EQ(outcome.kind, RegistrarOutcome::Kind::ScriptRefused) << refusal.script;
        const std::string message = outcome.message;
        std::string line = "line " + std::to_string(refusal.line) + ": ";
        EXPECT_EQ(message.rfind(line, 0), 0u) << refusal.script << " gave: " << message;
        EXPECT_NE(message.find(refusal.reason), std::string::npos) << refusal.script << " gave: " << message;
        EXPECT_TRUE(registry.Changes().empty()) << refusal.script;
    }
    MemoryRegistry registry;
    EXPECT_EQ(RunScript(registry, Nested(32), RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
}

TEST(RegistrarFailures, TheFirstFailureStopsAndLeavesWhatWasWritten)
{
    const std::string script = "HKCR { NoRemove Kept { ForceRemove F = s '1' { val V = d '2' Inner } } P { C } }";
    for (RegistrarMode mode : {RegistrarMode::Register, RegistrarMode::Unregister}) {
        MemoryRegistry reference;
        RunScript(reference, script, RegistrarMode::Register);
        const size_t before = reference.Changes().size();
        ASSERT_EQ(RunScript(reference, script, mode).kind, RegistrarOutcome::Kind::Done);
        const Lines all(reference.Changes().begin() + static_cast<std::ptrdiff_t>(before), reference.Changes().end());
        ASSERT_GE(all.size(), 5u);
        for (size_t failing = 1; failing <= all.size(); ++failing) {
            MemoryRegistry registry;
            RunScript(registry, script, RegistrarMode::Register);
            const size_t start = registry.Changes().size();
            registry.FailChange(static_cast<int>(failing));
            RegistrarOutcome outcome = RunScript(registry, script, mode);
            EXPECT_EQ(outcome.kind, RegistrarOutcome::Kind::RegistryFailed) << failing;
            EXPECT_EQ(outcome.error, 5) << failing;
            const Lines made(registry.Changes().begin() + static_cast<std::ptrdiff_t>(start), registry.Changes().end());
            EXPECT_EQ(made, Lines(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(failing - 1)))
                << "mode " << static_cast<int>(mode) << ", failing change " << failing;
        }
    }
}

}  // namespace
