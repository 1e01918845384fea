// Group Policy over the settings: the machine's policy before the user's
// before the user's own value, what counts as no policy, and the policy's
// ignore rules with fields parted by " | ".
#include <gtest/gtest.h>

#include "core/policy.h"
#include "core/policy_ignore_rules.h"
#include "core/settings_store.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {
const HKEY kMachine = HKEY_LOCAL_MACHINE, kUser = HKEY_CURRENT_USER;
const std::string kPolicyKey = "Software\\Policies\\Purgeon\\Vigilo", kOwnKey = "Software\\Purgeon";

struct Policy : ::testing::Test {
    Policy() { Clear(); }
    ~Policy() override { Clear(); }
    static void Clear() { DeleteKeyTree(kMachine, "Software\\Policies"), DeleteKeyTree(kUser, "Software\\Policies"); }
    CleanSettings settings;
};
}  // namespace

TEST_F(Policy, MachineWinsOverUserPolicyWhichWinsOverTheUsersOwnValue) {
    SetDword(kUser, kOwnKey, "NewAppNotifier", 1);
    EXPECT_EQ(PolicyForced("NewAppNotifier"), std::nullopt);
    EXPECT_TRUE(NotifierOn("NewAppNotifier"));
    SetDword(kUser, kPolicyKey, "NewAppNotifier", 0);
    EXPECT_FALSE(NotifierOn("NewAppNotifier"));
    SetDword(kMachine, kPolicyKey, "NewAppNotifier", 1);
    SetDword(kUser, kOwnKey, "NewAppNotifier", 0);
    EXPECT_EQ(PolicyForced("NewAppNotifier"), true);
    EXPECT_TRUE(NotifierOn("NewAppNotifier"));
    DWORD own = 7;
    EXPECT_TRUE(GetDword(kUser, kOwnKey, "NewAppNotifier", own) && own == 0);  // read, never written
}

TEST_F(Policy, OnlyADwordOfZeroOrOneIsAPolicy) {
    SetDword(kUser, kPolicyKey, "StartupNotifier", 0);  // what each wrong machine value must leave in force
    const unsigned char eightZeros[8] = {}, twoBytes[2] = {1, 0};
    SetString(kMachine, kPolicyKey, "StartupNotifier", "1");
    EXPECT_EQ(PolicyForced("StartupNotifier"), false);
    SetRaw(kMachine, kPolicyKey, "StartupNotifier", REG_QWORD, eightZeros, 8);
    EXPECT_EQ(PolicyForced("StartupNotifier"), false);
    SetRaw(kMachine, kPolicyKey, "StartupNotifier", REG_DWORD, twoBytes, 2);
    EXPECT_EQ(PolicyForced("StartupNotifier"), false);
    for (DWORD number : {2u, 0xFFFFFFFFu}) {
        SetDword(kMachine, kPolicyKey, "StartupNotifier", number);
        EXPECT_EQ(PolicyForced("StartupNotifier"), false) << number;
    }
    SetDword(kMachine, kPolicyKey, "GuardEnabled", 0);  // no policy by that name, nor Language
    SetDword(kMachine, kPolicyKey, "Language", 1);
    EXPECT_EQ(PolicyForced("GuardEnabled"), std::nullopt);
    EXPECT_EQ(PolicyForced("Language"), std::nullopt);
}

TEST_F(Policy, TheUsersOwnValueIsReadOnlyWithoutPolicyAndKeepsItsError) {
    EXPECT_FALSE(NotifierOn("UninstallNotifier"));  // missing
    SetString(kUser, kOwnKey, "CacheNotifier", "1");
    EXPECT_THROW(NotifierOn("CacheNotifier"), SettingsError);
    SetDword(kUser, kPolicyKey, "CacheNotifier", 1);
    EXPECT_TRUE(NotifierOn("CacheNotifier"));
}

TEST_F(Policy, EventLogAndWindowsAreOnUnlessSetOff) {
    EXPECT_TRUE(EventLogOn() && WindowsShown());
    SetString(kUser, kOwnKey + "\\Vigilo", "EventLog", "0");
    EXPECT_TRUE(EventLogOn());  // a broken value of the user's keeps the log on
    SetDword(kUser, kOwnKey + "\\Vigilo", "EventLog", 0);
    EXPECT_FALSE(EventLogOn());
    SetDword(kMachine, kPolicyKey, "EventLog", 1);
    EXPECT_TRUE(EventLogOn());
    SetDword(kUser, kPolicyKey, "ShowWindows", 0);
    EXPECT_FALSE(WindowsShown());
}

// A 32-bit program's default view of HKLM\SOFTWARE is Wow6432Node, where a
// 64-bit policy editor's values are not. Only the real HKLM has both views.
TEST(PolicyView, MachinePolicyIsReadInTheSixtyFourBitView) {
    RealLocalMachine realMachineKey;
    const PolicyPlace place{kMachine, kUser, "SOFTWARE\\VigiloTestsPolicyView"};
    SetDword(kMachine, place.path, "ShowWindows", 0);
    EXPECT_FALSE(WindowsShown(place));
    DeleteKeyTree(kMachine, place.path);
}

TEST(PolicyIgnoreLine, BarsBecomeTabsUnlessTheLineHasATab) {
    EXPECT_EQ(IgnoreLineOfPolicy("startup | A | %ProgramFiles%\\a.exe | Contoso"), "startup\tA\t%ProgramFiles%\\a.exe\tContoso");
    EXPECT_EQ(IgnoreLineOfPolicy("startup | A |  | Contoso"), "startup\tA\t\tContoso");
    EXPECT_EQ(IgnoreLineOfPolicy("program\tTools | More"), "program\tTools | More");
    for (const char* unparted : {"startup|A", "startup || A"}) EXPECT_EQ(IgnoreLineOfPolicy(unparted), unparted);
}

TEST_F(Policy, IgnoreRulesAreTheMachinesThenTheUsersTextValuesAtMostTwoHundredFiftySix) {
    const std::string rules = kPolicyKey + "\\Ignore";
    SetString(kUser, rules, "1", "junk\tCache");
    SetString(kMachine, rules, "1", "startup | M");
    SetString(kMachine, rules, "2", "program | %SystemRoot%*", REG_EXPAND_SZ);
    SetDword(kMachine, rules, "3", 1);
    SetRegistryTexts(kMachine, rules, "4", {"startup | Multi"});
    SetString(kMachine, rules, "5", "");
    EXPECT_EQ(PolicyIgnoreLines(), (std::vector<std::string>{"startup\tM", "program\t%SystemRoot%*", "junk\tCache"}));
    for (int i = 0; i < 300; ++i) SetString(kMachine, rules, "n" + std::to_string(i), "startup | N");
    const std::vector<std::string> lines = PolicyIgnoreLines();
    EXPECT_TRUE(lines.size() == 256 && lines.back() == "startup\tN");
}
