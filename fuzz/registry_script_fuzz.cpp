// libFuzzer target: the registrar on arbitrary script bytes, against the tests' in-memory
// registry. The input is the script, whole.
//
// After every input it traps unless: a refused script names a line of the input and changed
// nothing; an accepted one registers, registers again to the same entries, and unregisters,
// each without a failure; and no run leaves a key open.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "atl/registrar/registrar.h"
#include "registrar/memory_registry.h"

namespace {

[[noreturn]] void Violated(const char* condition, int line)
{
    std::fprintf(stderr, "registry_script_fuzz: invariant broken at line %d: %s\n", line, condition);
    __builtin_trap();
}

#define REQUIRE(condition) ((condition) ? (void)0 : Violated(#condition, __LINE__))

// Backslashes keep "%MODULE%" out of names; the quote and the percent sign must stay text.
const std::string ModulePath = "C:\\O'%MODULE%\\Orvane.dll";

RegistrarOutcome Run(const char* text, size_t size, MemoryRegistry& registry, RegistrarMode mode)
{
    const Utf8Text modulePath = {ModulePath.data(), ModulePath.size()};
    RegistrarOutcome outcome = UpdateRegistryFromScript(text, size, modulePath, DecodeCp936ForTests, registry, mode);
    REQUIRE(registry.OpenKeys() == 0);
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    MemoryRegistry registry;
    RegistrarOutcome outcome = Run(text, size, registry, RegistrarMode::Register);
    if (outcome.kind == RegistrarOutcome::Kind::ScriptRefused) {
        long lines = 1;
        for (size_t at = 0; at < size; ++at)
            lines += text[at] == '\n';
        REQUIRE(std::strncmp(outcome.message, "line ", 5) == 0);
        long line = std::strtol(outcome.message + 5, nullptr, 10);
        REQUIRE(line >= 1 && line <= lines);
        REQUIRE(registry.Changes().empty());
        return 0;
    }
    REQUIRE(outcome.kind == RegistrarOutcome::Kind::Done);
    const std::vector<std::string> registered = registry.Content();
    REQUIRE(Run(text, size, registry, RegistrarMode::Register).kind == RegistrarOutcome::Kind::Done);
    REQUIRE(registry.Content() == registered);
    REQUIRE(Run(text, size, registry, RegistrarMode::Unregister).kind == RegistrarOutcome::Kind::Done);
    return 0;
}
