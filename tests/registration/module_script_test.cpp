// The registrar against the real registry: this program carries the module's registration
// resources, so it registers itself as the module would.
#include "atl/registrar/registry_update.h"
#include "registration_checks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {

// The n-th nothrow allocation from now on fails; 0: none does. The registrar allocates in no
// other way.
int failingAllocation = 0;

void* Allocate(size_t size)
{
    if (failingAllocation > 0 && --failingAllocation == 0)
        return nullptr;
    return std::malloc(size ? size : 1);
}

}  // namespace

// The library's own delete frees with free(), so malloc serves both forms.
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

namespace {

std::string OwnPath()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH + 1);
    return path;
}

HRESULT RunScript(bool doRegister)
{
    return UpdateRegistryFromModuleScript(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(101), doRegister);
}

TEST(ModuleScript, RegistersTwiceAndUnregistersBesideOtherPrograms)
{
    CheckRegistrationRound(
        OwnPath(), [] { return RunScript(true) == S_OK; }, [] { return RunScript(false) == S_OK; });
}

TEST(ModuleScript, AMissingScriptResourceFails)
{
    HRESULT result = UpdateRegistryFromModuleScript(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(999), true);
    EXPECT_EQ(result, HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
}

// A failed allocation anywhere in the registrar, either mode, answers E_OUTOFMEMORY.
TEST(ModuleScript, EachFailedAllocationAnswersOutOfMemory)
{
    for (bool doRegister : {true, false}) {
        int failing = 1;
        for (;; ++failing) {
            failingAllocation = failing;
            HRESULT result = RunScript(doRegister);
            bool reached = failingAllocation == 0;
            failingAllocation = 0;
            if (!reached) {
                EXPECT_EQ(result, S_OK);
                break;
            }
            EXPECT_EQ(result, E_OUTOFMEMORY) << "allocation " << failing << ", registering " << doRegister;
            ASSERT_LT(failing, 5000);
        }
        EXPECT_GT(failing, 10) << "registering " << doRegister;
    }
}

}  // namespace
