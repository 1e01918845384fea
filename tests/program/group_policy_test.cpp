// Vigilo under Group Policy, seen from outside: a policy forces a kind of
// notification on over the user's own setting, once Windows announces the
// change, and its window then offers no box to switch it off; a kiosk's
// ShowWindows 0 keeps every window away but records every finding.
#include <gtest/gtest.h>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

constexpr const char* kPolicy = "Software\\Policies\\Purgeon\\Vigilo";

class GroupPolicy : public NotificationProgram {
protected:
    GroupPolicy() : NotificationProgram("TForm2c", "StartupNotifier") { DeleteKeyTree(HKEY_LOCAL_MACHINE, kPolicy); }
    ~GroupPolicy() override { DeleteKeyTree(HKEY_LOCAL_MACHINE, kPolicy); }

    static bool Recorded(const std::string& text) {
        for (const std::string& line : RecentFindingLines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    static bool ShowsAnyButton(HWND form) {
        bool shown = false;
        EnumChildWindows(
            form,
            [](HWND child, LPARAM found) {
                char name[16] = {};
                GetClassNameA(child, name, sizeof(name));
                if (lstrcmpiA(name, "Button") == 0 && IsWindowVisible(child)) *reinterpret_cast<bool*>(found) = true;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&shown));
        return shown;
    }

    RunKeys runKeys_;
    UninstallKeys uninstallKeys_;
};

}  // namespace

TEST_F(GroupPolicy, AnAnnouncedPolicyForcesANotifierOnWithoutItsBoxAndShowWindowsZeroOnlyRecords) {
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 0);
    StartVigilo();

    // Read again only when Windows announces a policy change: the startup watches start then.
    const DWORD listed = KeptListingCount();
    SetDword(HKEY_LOCAL_MACHINE, kPolicy, "StartupNotifier", 1);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"), SMTO_ABORTIFHUNG,
                        5000, &answer);
    ASSERT_TRUE(WaitUntil([&] { return KeptListingCount() > listed; }, 15000));
    for (DWORD count = 0; count != KeptListingCount(); Sleep(1000)) count = KeptListingCount();

    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestForcedOn"));
    const HWND form = WaitForWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(ShowsAnyButton(form));
    PostMessageW(form, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Gone(form));
    EXPECT_EQ(Setting("StartupNotifier"), 0u);  // a policy never writes the user's own

    SetDword(HKEY_LOCAL_MACHINE, kPolicy, "ShowWindows", 0);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestKiosk"));
    RegisterProgram(kUserUninstall, "VigiloTestKioskApp", "Kiosk App");
    ASSERT_TRUE(WaitUntil([] { return Recorded("\tstartup\tVigiloTestKiosk") && Recorded("\tprogram\tKIOSK APP"); },
                          20000));
    EXPECT_TRUE(NoWindowFor(2000));
    EXPECT_EQ(VisibleWindowOf(Pid(), "TForm2a"), nullptr);
}
