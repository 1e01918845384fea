// Unit tests work on scratch copies of HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE: what they clear and write never reaches the user's own
// settings, which hold a marker value placed before the first test.
#include <gtest/gtest.h>

#include "core/settings_store.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"
#include "support/user_settings_guard.h"

using namespace vigilo;
using namespace vigilo::test;

TEST(RegistrySandbox, ClearingAndWritingSettingsLeavesTheUsersOwnUntouched) {
    ASSERT_FALSE(UserSettingsGuard::Marker().empty());
    ASSERT_EQ(RealUserSettingsMarker(), UserSettingsGuard::Marker());
    {
        CleanSettings clean;
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserSettingsKey, kUserSettingsMarker));
        WriteBool(HKEY_CURRENT_USER, kUserSettingsKey, "GuardEnabled", false);
        EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kUserSettingsKey, "GuardEnabled"));
    }
    EXPECT_EQ(RealUserSettingsMarker(), UserSettingsGuard::Marker());
}

TEST(RegistrySandbox, MachineKeysWrittenByTestsStayInTheScratchKey) {
    const std::string key = "SOFTWARE\\VigiloTestsSandboxProbe";
    SetDword(HKEY_LOCAL_MACHINE, key, "Written", 1);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key));
    {
        RealLocalMachine realMachineKey;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft"));
    }
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
}
