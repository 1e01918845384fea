// Startup folders from end to end: a shortcut added to the user's or the
// common Startup folder while Vigilo.exe runs raises the startup window,
// named as the user sees it in the folder, without ".lnk".
#include <gtest/gtest.h>

#include <string>

#include <shlobj.h>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

// A round settles for 6 s; a finding not shown by then never is.
constexpr DWORD kNoReportMs = 8000;

class StartupFolder : public NotificationProgram {
protected:
    StartupFolder() : NotificationProgram("TForm2c", "StartupNotifier") {}
    // Vigilo goes first: it must not see the shortcuts removed.
    void TearDown() override { vigilo_.reset(); }
    // Adds name + ".lnk" and waits for the window naming it without ".lnk".
    void AddAndExpectShown(int csidl, const std::string& name) {
        shortcuts_.Add(csidl, name + ".lnk");
        HWND form = WaitForWindow();
        ASSERT_NE(form, nullptr) << name << " was not shown";
        ExpectPlacedOnTop(form, "Startup notification", 238);
        EXPECT_NE(FindChildByText(form, name), nullptr) << name;
        EXPECT_EQ(FindChildByText(form, name + ".lnk"), nullptr) << name;
    }

    TestShortcuts shortcuts_;
};

}  // namespace

TEST_F(StartupFolder, AShortcutAddedToTheUsersStartupFolderIsShownWithoutLnk) {
    StartVigilo();
    AddAndExpectShown(CSIDL_STARTUP, "VigiloTest Sync Agent");
}

TEST_F(StartupFolder, AShortcutAddedToTheCommonStartupFolderIsShownToo) {
    StartVigilo();
    AddAndExpectShown(CSIDL_COMMON_STARTUP, "VigiloTest Updater");
}

TEST_F(StartupFolder, SwitchedOffTheRunningWatchesStaySilentUntilSwitchedOnAgain) {
    StartVigilo();
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 0);
    shortcuts_.Add(CSIDL_STARTUP, "VigiloTest Silenced.lnk");
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 1);
    AddAndExpectShown(CSIDL_STARTUP, "VigiloTest Heard");
}
