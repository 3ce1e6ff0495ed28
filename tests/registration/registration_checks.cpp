// The registration round shared by the registrar's own test and the regsvr32 test.
#include "registration_checks.h"

#include "expected_entries.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string OtherClassKey = "CLSID\\{00000000-1111-2222-3333-444444444444}";

void CreateKey(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS)
        << path;
    RegCloseKey(key);
}

void ExpectRegistered(const std::string& modulePath, const char* step)
{
    for (const KeyShape& shape : RegisteredKeys())
        EXPECT_EQ(CheckKeyShape(shape), "") << step;
    for (const ValueBytes& value : RegisteredValues(modulePath))
        EXPECT_EQ(CheckValue(value), "") << step;
    // The menu item's name, as bytes in code page 936 and as the Unicode the registry holds.
    std::vector<std::string> names = SubkeyNames(HKEY_CURRENT_USER, MenuExtKey);
    EXPECT_NE(std::find(names.begin(), names.end(), MenuTextBytes), names.end()) << step;
    std::wstring menuExtWide(MenuExtKey.begin(), MenuExtKey.end());
    std::vector<std::wstring> wideNames = SubkeyNamesW(HKEY_CURRENT_USER, menuExtWide);
    EXPECT_NE(std::find(wideNames.begin(), wideNames.end(), MenuTextWide), wideNames.end()) << step;
}

}  // namespace

void CheckRegistrationRound(const std::string& modulePath, const std::function<bool()>& doRegister,
                            const std::function<bool()>& doUnregister)
{
    ASSERT_TRUE(doRegister());
    ExpectRegistered(modulePath, "first registration");

    // ForceRemove keys are written anew: what an older registration left below them goes.
    CreateKey(HKEY_CLASSES_ROOT, ClassKey + "\\Stale");
    CreateKey(HKEY_CURRENT_USER, MenuExtKey + "\\" + MenuTextBytes + "\\Stale");
    ASSERT_TRUE(doRegister());
    ExpectRegistered(modulePath, "second registration");

    const std::string otherMenuKey = MenuExtKey + "\\Other program";
    CreateKey(HKEY_CLASSES_ROOT, OtherClassKey);
    CreateKey(HKEY_CURRENT_USER, otherMenuKey);
    ASSERT_TRUE(doUnregister());
    for (const auto& removed : RemovedKeys())
        EXPECT_FALSE(KeyExists(removed.first, removed.second)) << removed.second;
    for (const auto& kept : KeptKeys())
        EXPECT_TRUE(KeyExists(kept.first, kept.second)) << kept.second;
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, OtherClassKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, otherMenuKey));
}
