// The registrar's rules over the in-memory registry: markings, both modes, repeats, failures.
#include "memory_registry.h"
#include "atl/registrar/registrar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Every marking, both value types, named values and a key without a default.
const char* const Script =
    "HKCR\r\n"
    "{\r\n"
    "  Plain = s 'one' { Child = s 'two' }\r\n"
    "  NoRemove Kept\r\n"
    "  {\r\n"
    "    ForceRemove Forced = s '%MODULE%' { val Count = d '2' Inner }\r\n"
    "  }\r\n"
    "}\r\n"
    "HKCU { NoRemove Top { Middle { ForceRemove Leaf { val Name = s 'x' } } } }\r\n";

const Lines Registered = {
    "HKCR\\Kept",
    "HKCR\\Kept\\Forced",
    "HKCR\\Kept\\Forced\\@ = s:C:\\m.dll",
    "HKCR\\Kept\\Forced\\Count = d:2",
    "HKCR\\Kept\\Forced\\Inner",
    "HKCR\\Plain",
    "HKCR\\Plain\\@ = s:one",
    "HKCR\\Plain\\Child",
    "HKCR\\Plain\\Child\\@ = s:two",
    "HKCU\\Top",
    "HKCU\\Top\\Middle",
    "HKCU\\Top\\Middle\\Leaf",
    "HKCU\\Top\\Middle\\Leaf\\Name = s:x",
};

RegistrarOutcome RunScript(MemoryRegistry& registry, RegistrarMode mode)
{
    return UpdateRegistryFromScript(Script, std::char_traits<char>::length(Script), {{"MODULE", "C:\\m.dll"}},
                                    registry, mode);
}

void Write(MemoryRegistry& registry, RegistryRoot root, const std::string& path, const std::string& name,
           const std::string& text)
{
    ASSERT_EQ(registry.CreateKey(root, path), RegistryOk);
    ASSERT_EQ(registry.SetValue(root, path, name, {ValueType::String, text, 0}), RegistryOk);
}

TEST(RegistrarRules, RegisteringTwiceLeavesOneSet)
{
    MemoryRegistry registry;
    for (int round = 0; round < 2; ++round) {
        RegistrarOutcome outcome = RunScript(registry, RegistrarMode::Register);
        EXPECT_EQ(outcome.kind, RegistrarOutcome::Kind::Done) << outcome.message;
        EXPECT_EQ(registry.Content(), Registered) << "round " << round;
    }
}

TEST(RegistrarRules, ForceRemoveRewritesTheKeyWholeAndOthersKeepTheirExtras)
{
    MemoryRegistry registry;
    Write(registry, RegistryRoot::ClassesRoot, "Kept\\Forced\\Stale", "Old", "1");
    Write(registry, RegistryRoot::ClassesRoot, "Kept\\Forced", "Old", "2");
    Write(registry, RegistryRoot::ClassesRoot, "Plain\\Extra", "Old", "3");
    Write(registry, RegistryRoot::ClassesRoot, "Kept", "Old", "4");
    ASSERT_EQ(RunScript(registry, RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);

    Lines expected = Registered;
    expected.insert(expected.end(), {"HKCR\\Kept\\Old = s:4", "HKCR\\Plain\\Extra", "HKCR\\Plain\\Extra\\Old = s:3"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(registry.Content(), expected);

    // The old key goes before the new one is made, not after.
    const Lines& changes = registry.Changes();
    auto deleted = std::find(changes.begin(), changes.end(), "delete HKCR\\Kept\\Forced");
    ASSERT_NE(deleted, changes.end());
    EXPECT_NE(std::find(deleted, changes.end(), "create HKCR\\Kept\\Forced"), changes.end());
}

TEST(RegistrarRules, UnregisteringKeepsNoRemoveKeysAndForeignSubkeys)
{
    MemoryRegistry registry;
    ASSERT_EQ(RunScript(registry, RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
    Write(registry, RegistryRoot::ClassesRoot, "Kept\\Other", "", "theirs");
    Write(registry, RegistryRoot::CurrentUser, "Top\\Middle\\Sibling", "", "theirs");
    Write(registry, RegistryRoot::ClassesRoot, "Plain", "Foreign", "value only");  // no subkey: goes

    for (int round = 0; round < 2; ++round) {
        RegistrarOutcome outcome = RunScript(registry, RegistrarMode::Unregister);
        EXPECT_EQ(outcome.kind, RegistrarOutcome::Kind::Done) << outcome.message;
        EXPECT_EQ(registry.Content(), (Lines{
                                          "HKCR\\Kept",
                                          "HKCR\\Kept\\Other",
                                          "HKCR\\Kept\\Other\\@ = s:theirs",
                                          "HKCU\\Top",
                                          "HKCU\\Top\\Middle",
                                          "HKCU\\Top\\Middle\\Sibling",
                                          "HKCU\\Top\\Middle\\Sibling\\@ = s:theirs",
                                      }))
            << "round " << round;
    }
}

TEST(RegistrarRules, UnregisteringWhatWasNeverThereChangesNothing)
{
    MemoryRegistry registry;
    RegistrarOutcome outcome = RunScript(registry, RegistrarMode::Unregister);
    EXPECT_EQ(outcome.kind, RegistrarOutcome::Kind::Done) << outcome.message;
    EXPECT_TRUE(registry.Changes().empty());
    EXPECT_TRUE(registry.Content().empty());
}

TEST(RegistrarRules, UnregisteringRemovesOnlyTheScriptsNamedValuesFromAKeptKey)
{
    MemoryRegistry registry;
    ASSERT_EQ(RunScript(registry, RegistrarMode::Register).kind, RegistrarOutcome::Kind::Done);
    Write(registry, RegistryRoot::ClassesRoot, "Kept\\Forced\\Theirs", "", "x");
    Write(registry, RegistryRoot::ClassesRoot, "Kept\\Forced", "TheirValue", "y");
    ASSERT_EQ(RunScript(registry, RegistrarMode::Unregister).kind, RegistrarOutcome::Kind::Done);
    EXPECT_EQ(registry.Content(), (Lines{
                                      "HKCR\\Kept",
                                      "HKCR\\Kept\\Forced",
                                      "HKCR\\Kept\\Forced\\@ = s:C:\\m.dll",
                                      "HKCR\\Kept\\Forced\\TheirValue = s:y",
                                      "HKCR\\Kept\\Forced\\Theirs",
                                      "HKCR\\Kept\\Forced\\Theirs\\@ = s:x",
                                      "HKCU\\Top",
                                  }));
}

TEST(RegistrarRules, AFailureHalfWayStopsAndLeavesWhatWasWritten)
{
    for (RegistrarMode mode : {RegistrarMode::Register, RegistrarMode::Unregister}) {
        MemoryRegistry reference;
        RunScript(reference, RegistrarMode::Register);
        size_t before = reference.Changes().size();
        ASSERT_EQ(RunScript(reference, mode).kind, RegistrarOutcome::Kind::Done);
        const Lines all(reference.Changes().begin() + static_cast<std::ptrdiff_t>(before), reference.Changes().end());
        ASSERT_FALSE(all.empty());

        for (size_t failing = 1; failing <= all.size(); ++failing) {
            MemoryRegistry registry;
            RunScript(registry, RegistrarMode::Register);
            size_t start = registry.Changes().size();
            registry.FailChange(static_cast<int>(failing));
            RegistrarOutcome outcome = RunScript(registry, mode);
            EXPECT_EQ(outcome.kind, RegistrarOutcome::Kind::RegistryFailed) << failing;
            EXPECT_EQ(outcome.error, 5) << failing;
            const Lines made(registry.Changes().begin() + static_cast<std::ptrdiff_t>(start), registry.Changes().end());
            EXPECT_EQ(made, Lines(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(failing - 1)))
                << "mode " << static_cast<int>(mode) << ", failing change " << failing;
        }
    }
}

TEST(RegistrarRules, ARefusedScriptTouchesNothing)
{
    MemoryRegistry registry;
    const char text[] = "HKCR { A = s 'x' } HKCU { B = s '%NOPE%' }";
    RegistrarOutcome outcome = UpdateRegistryFromScript(text, sizeof text - 1, {}, registry, RegistrarMode::Register);
    EXPECT_EQ(outcome.kind, RegistrarOutcome::Kind::ScriptRefused);
    EXPECT_EQ(outcome.message, "line 1: no replacement for %NOPE%");
    EXPECT_TRUE(registry.Changes().empty());
}

}  // namespace
