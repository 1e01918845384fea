// Group Policy over the settings: machine policy before user policy before
// the user's own value, what counts as no policy, and the policy's ignore
// rules with fields parted by " | ".
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
const std::string kPolicyKey = "Software\\Policies\\Purgeon\\Vigilo";
const std::string kOwnKey = "Software\\Purgeon";

class Policy : public ::testing::Test {
protected:
    Policy() { Clear(); }
    ~Policy() override { Clear(); }
    static void Clear() {
        for (HKEY root : {kMachine, kUser}) DeleteKeyTree(root, "Software\\Policies");
    }
    CleanSettings settings;
};

}  // namespace

TEST_F(Policy, MachineWinsOverUserPolicyWhichWinsOverTheUsersOwnValue) {
    SetDword(kUser, kOwnKey, "NewAppNotifier", 1);
    EXPECT_EQ(PolicyForced("NewAppNotifier"), std::nullopt);
    EXPECT_TRUE(NotifierOn("NewAppNotifier"));
    SetDword(kUser, kPolicyKey, "NewAppNotifier", 0);
    EXPECT_EQ(PolicyForced("NewAppNotifier"), false);
    EXPECT_FALSE(NotifierOn("NewAppNotifier"));
    SetDword(kMachine, kPolicyKey, "NewAppNotifier", 1);
    SetDword(kUser, kOwnKey, "NewAppNotifier", 0);
    EXPECT_EQ(PolicyForced("NewAppNotifier"), true);
    EXPECT_TRUE(NotifierOn("NewAppNotifier"));
    DWORD own = 7;
    ASSERT_TRUE(GetDword(kUser, kOwnKey, "NewAppNotifier", own));
    EXPECT_EQ(own, 0u);  // read, never written
}

TEST_F(Policy, WrongTypesSizesAndNumbersCountAsAbsent) {
    SetDword(kUser, kPolicyKey, "StartupNotifier", 0);
    const unsigned char eightZeros[8] = {}, twoOnes[2] = {1, 0};
    SetString(kMachine, kPolicyKey, "StartupNotifier", "1");
    EXPECT_EQ(PolicyForced("StartupNotifier"), false);
    SetRaw(kMachine, kPolicyKey, "StartupNotifier", REG_QWORD, eightZeros, 8);
    EXPECT_EQ(PolicyForced("StartupNotifier"), false);
    SetRaw(kMachine, kPolicyKey, "StartupNotifier", REG_BINARY, "\1\0\0\0", 4);
    EXPECT_EQ(PolicyForced("StartupNotifier"), false);
    SetRaw(kMachine, kPolicyKey, "StartupNotifier", REG_DWORD, twoOnes, 2);
    EXPECT_EQ(PolicyForced("StartupNotifier"), false);
    for (DWORD number : {2u, 0xFFFFFFFFu}) {
        SetDword(kMachine, kPolicyKey, "StartupNotifier", number);
        EXPECT_EQ(PolicyForced("StartupNotifier"), false) << number;
    }
    SetString(kUser, kPolicyKey, "StartupNotifier", "0");
    EXPECT_EQ(PolicyForced("StartupNotifier"), std::nullopt);
}

TEST_F(Policy, TheUsersOwnValueIsReadOnlyWithoutPolicyAndKeepsItsError) {
    EXPECT_FALSE(NotifierOn("UninstallNotifier"));  // missing
    SetString(kUser, kOwnKey, "CacheNotifier", "1");
    EXPECT_THROW(NotifierOn("CacheNotifier"), SettingsError);
    SetDword(kUser, kPolicyKey, "CacheNotifier", 1);
    EXPECT_TRUE(NotifierOn("CacheNotifier"));
}

TEST_F(Policy, EventLogAndWindowsAreOnUnlessSetOff) {
    EXPECT_TRUE(EventLogOn());
    EXPECT_TRUE(WindowsShown());
    SetString(kUser, kOwnKey + "\\Vigilo", "EventLog", "0");
    EXPECT_TRUE(EventLogOn());  // a broken value of the user's keeps the log on
    SetDword(kUser, kOwnKey + "\\Vigilo", "EventLog", 0);
    EXPECT_FALSE(EventLogOn());
    SetDword(kMachine, kPolicyKey, "EventLog", 1);
    EXPECT_TRUE(EventLogOn());
    SetDword(kUser, kPolicyKey, "ShowWindows", 0);
    EXPECT_FALSE(WindowsShown());
    SetDword(kMachine, kPolicyKey, "ShowWindows", 2);  // no policy: the user's policy stands
    EXPECT_FALSE(WindowsShown());
}

TEST_F(Policy, GuardEnabledAndLanguageAreNoPolicies) {
    SetDword(kMachine, kPolicyKey, "GuardEnabled", 0);
    SetDword(kMachine, kPolicyKey, "Language", 1);
    EXPECT_EQ(PolicyForced("GuardEnabled"), std::nullopt);
    EXPECT_EQ(PolicyForced("Language"), std::nullopt);
}

// The program is 32-bit: its default view of HKLM\SOFTWARE is the Wow6432Node
// one, where a 64-bit policy editor's values are not. Only the real HKLM has
// both views; the test reads a key of its own there.
TEST(PolicyView, MachinePolicyIsReadInTheSixtyFourBitView) {
    RealLocalMachine realMachineKey;
    const PolicyPlace place{kMachine, kUser, "SOFTWARE\\VigiloTestsPolicyView"};
    DeleteKeyTree(kMachine, place.path);
    SetDword(kMachine, place.path, "ShowWindows", 0);
    EXPECT_FALSE(WindowsShown(place));
    DeleteKeyTree(kMachine, place.path);
}

TEST(PolicyIgnoreLine, BarsBecomeTabsUnlessTheLineHasATab) {
    EXPECT_EQ(IgnoreLineOfPolicy("startup | Contoso*"), "startup\tContoso*");
    EXPECT_EQ(IgnoreLineOfPolicy("startup | A | %ProgramFiles%\\a.exe | Contoso Ltd"),
              "startup\tA\t%ProgramFiles%\\a.exe\tContoso Ltd");
    EXPECT_EQ(IgnoreLineOfPolicy("startup | A |  | Contoso Ltd"), "startup\tA\t\tContoso Ltd");
    EXPECT_EQ(IgnoreLineOfPolicy("program\tTools | More"), "program\tTools | More");
    EXPECT_EQ(IgnoreLineOfPolicy("startup|A"), "startup|A");
    EXPECT_EQ(IgnoreLineOfPolicy("startup || A"), "startup || A");
}

TEST_F(Policy, IgnoreRulesAreTheMachinesThenTheUsersTextValues) {
    const std::string rules = kPolicyKey + "\\Ignore";
    SetString(kUser, rules, "1", "junk\tCache");
    SetString(kMachine, rules, "1", "startup | M");
    SetString(kMachine, rules, "2", "program | %SystemRoot%*", REG_EXPAND_SZ);
    SetDword(kMachine, rules, "3", 1);
    SetRegistryTexts(kMachine, rules, "4", {"startup | Multi"});
    SetString(kMachine, rules, "5", "");
    EXPECT_EQ(PolicyIgnoreLines(), (std::vector<std::string>{"startup\tM", "program\t%SystemRoot%*", "junk\tCache"}));
    for (int i = 0; i < 300; ++i) SetString(kMachine, rules, "n" + std::to_string(i), "startup | N");
    const std::vector<std::string> lines = PolicyIgnoreLines();  // at most 256, the machine's first
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines.back(), "startup\tN");
}
