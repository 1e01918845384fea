// The "..." menu of a startup window, driven from outside as the menu key
// and the keyboard drive it: Don't show this again keeps the same name and
// program off the screen and out of the record at its next addition, while
// the same name with another program still shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

const char* const kName = "VigiloTestMuted";
const char* const kPrograms = "C:\\VigiloTest\\";  // where the test entries' programs are

// The popup menu window up in process pid; null when none is.
HWND MenuOf(DWORD pid) {
    HWND found = nullptr;
    for (HWND menu = FindWindowExA(nullptr, nullptr, "#32768", nullptr); menu && !found;
         menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(menu, &owner);
        if (owner == pid && IsWindowVisible(menu)) found = menu;
    }
    return found;
}

class NotificationMenuProgram : public NotificationProgram {
protected:
    NotificationMenuProgram() : NotificationProgram("TForm2c", "StartupNotifier") {
        // Programs that are there: a rule binds only a program the finding names.
        MakeFolders(std::string(kPrograms) + "Replaced");
        WriteFile(std::string(kPrograms) + kName + ".exe", "MZ");
        WriteFile(std::string(kPrograms) + "Replaced\\" + kName + ".exe", "MZ");
    }
    ~NotificationMenuProgram() override {
        if (vigilo_) vigilo_->Kill();
        RemoveTree(kPrograms);
    }
    VigiloOnWindows10 windows10_;  // as the tests of the Disable link run it
    UnmanagedVigiloWindows unmanaged_;
    RunKeys runKeys_;
};

}  // namespace

TEST_F(NotificationMenuProgram, DontShowThisAgainKeepsTheSameNameAndProgramAwayButNotTheSameNameWithAnotherProgram) {
    StartVigilo();
    ASSERT_TRUE(AddStartupEntry(kUserRun, kName));
    HWND form = WaitForWindow();
    ASSERT_NE(form, nullptr);

    // The menu key's message, then the first item with the arrow and Enter once the menu takes keys.
    PostMessageW(form, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form), MAKELPARAM(-1, -1));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = MenuOf(Pid())) != nullptr; }, 5000));
    Sleep(500);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }, 5000)) << "closed by the choice";
    const std::vector<std::string> rules = RegistryTexts(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "Ignore");
    EXPECT_NE(std::find(rules.begin(), rules.end(), std::string("startup\t=") + kName + "\t=C:\\VigiloTest\\" + kName + ".exe"),
              rules.end()) << rules.back();
    // The next window shows once this one's 20 seconds are over.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000));

    // The same name and program in another Run key.
    const std::vector<std::string> recorded = RecentFindingLines();
    ASSERT_TRUE(AddStartupEntry(kUserRunOnce, kName));
    EXPECT_TRUE(NoWindowFor(4000));
    EXPECT_EQ(RecentFindingLines(), recorded) << "not recorded";

    ChangeStartupProgram(kMachineRun64, kName);  // the same name, starting another program
    form = WaitForWindow(5000);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, kName), nullptr);
    const std::vector<std::string> now = RecentFindingLines();
    EXPECT_TRUE(!now.empty() && now[0].ends_with(std::string("\tstartup\t") + kName));
}
