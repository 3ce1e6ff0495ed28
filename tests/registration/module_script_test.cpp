// The registrar against the real registry: this program carries the module's registration
// resources, so it registers itself as the module would.
#include "atl/registrar/registry_update.h"
#include "registration_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string OwnPath()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH + 1);
    return path;
}

TEST(ModuleScript, RegistersTwiceAndUnregistersBesideOtherPrograms)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    CheckRegistrationRound(
        OwnPath(), [&] { return UpdateRegistryFromModuleScript(self, MAKEINTRESOURCEW(101), true, nullptr) == S_OK; },
        [&] { return UpdateRegistryFromModuleScript(self, MAKEINTRESOURCEW(101), false, nullptr) == S_OK; });
}

TEST(ModuleScript, AMissingScriptResourceFails)
{
    HRESULT result = UpdateRegistryFromModuleScript(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(999), true, nullptr);
    EXPECT_EQ(result, HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
