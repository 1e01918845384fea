// The first notification from end to end: programs registered under the
// uninstall keys while Vigilo.exe runs raise the new-program window, which
// is driven here as the user would, through its controls.
#include <gtest/gtest.h>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"

using namespace vigilo::test;

namespace {

const std::string kSettings = "Software\\Purgeon";
const HKEY kCu = HKEY_CURRENT_USER;
// A round settles for 5 s; a finding that is not reported by then never is.
constexpr DWORD kNoReportMs = 7500;

// Client points of the new-program window's controls.
constexpr POINT kLink{20, 190};
constexpr POINT kCloseCross{385, 10};
constexpr POINT kCheckBox{24, 213};
constexpr POINT kCheckLabel{60, 213};

class NewProgram : public NotificationProgram {
protected:
    NewProgram() : NotificationProgram("TForm2a", "NewAppNotifier") {}
    // Waits for the window, checks it names the program, and closes it by its cross.
    void ExpectReportedThenClose(const char* shownName) {
        HWND form = WaitForWindow();
        ASSERT_NE(form, nullptr);
        EXPECT_NE(FindChildByText(form, shownName), nullptr);
        Click(form, kCloseCross);
        EXPECT_TRUE(Gone(form));
    }

    UninstallKeys keys_;
};

}  // namespace

TEST_F(NewProgram, AMachineWideProgramIsShownInCapitalsAtTheBottomRightAndTheLinkStartsPurgeon) {
    StartVigilo();
    const DWORD start = GetTickCount();
    RegisterProgram(kMachineUninstall, "VigiloTestFoo", "  Foo Editor  ", "Foo Ltd");
    HWND form = WaitForWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_GE(GetTickCount() - start, 4500u) << "shown before the settle delay";

    ExpectPlacedOnTop(form, "New program notification", 238);
    EXPECT_NE(FindChildByText(form, "FOO EDITOR"), nullptr);
    EXPECT_NE(FindChildByText(form, "FOO LTD"), nullptr);
    EXPECT_NE(FindChildByText(form, "New installation detected."), nullptr);

    ExpectLinkStartsPurgeon(form, kLink, "Purgeon", "");
}

TEST_F(NewProgram, APerUserProgramIsShownAndTheCloseCrossWithTheBoxTickedSwitchesThemOff) {
    StartVigilo();
    RegisterProgram(kUserUninstall, "VigiloTestBar", "Bar Studio", "Bar Inc");
    HWND form = WaitForWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "BAR STUDIO"), nullptr);

    HWND box = ControlAt(form, kCheckBox.x, kCheckBox.y);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ClassName(box), "Button");
    Click(form, kCheckLabel);  // the text beside the box does not tick it
    Click(form, kCloseCross);  // after the label's click, so both have been handled in order
    ASSERT_TRUE(Gone(form));
    EXPECT_EQ(Setting("NewAppNotifier"), 1u);  // unticked: left as it was

    // The hand-off ends when the window is destroyed; then the monitor pauses
    // a second before it lists its next baseline, and what is added in that
    // pause is never reported.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 10000));
    Sleep(1500);
    RegisterProgram(kUserUninstall, "VigiloTestBaz", "Baz Tool");
    form = WaitForWindow();
    ASSERT_NE(form, nullptr);
    box = ControlAt(form, kCheckBox.x, kCheckBox.y);
    ASSERT_NE(box, nullptr);
    PostClick(box);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
    ForgetSetting();
    Click(form, kCloseCross);
    ASSERT_TRUE(Gone(form));
    EXPECT_EQ(WrittenSetting(), 0u);
}

// A window left up held its watch: a program installed meanwhile reached
// neither the record nor Purgeon until the window went.
TEST_F(NewProgram, TheThirtyTwoBitUninstallKeyIsWatchedAndASecondProgramWhileOneIsShownIsRecordedAtOnceNotShown) {
    StartVigilo();
    RegisterProgram(kWow64Uninstall, "VigiloTestOld", "Old Thirty Two");
    HWND form = WaitForWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "OLD THIRTY TWO"), nullptr);

    Sleep(2000);
    RegisterProgram(kWow64Uninstall, "VigiloTestLate", "Late Comer");
    EXPECT_TRUE(WaitUntil([] {
        const std::vector<std::string> lines = RecentFindingLines();
        return !lines.empty() && lines[0].ends_with("\tprogram\tLATE COMER");
    }, 10000));
    EXPECT_EQ(VisibleWindowOf(Pid(), "TForm2a"), form);
    EXPECT_EQ(FindChildByText(form, "LATE COMER"), nullptr);
    Click(form, kCloseCross);
    ASSERT_TRUE(Gone(form));
    EXPECT_TRUE(NoWindowFor(kNoReportMs)) << "a dropped finding came back";
}

TEST_F(NewProgram, UpdatesExcludedNamesAndUninstallsAreNotReported) {
    RegisterProgram(kWow64Uninstall, "VigiloTestLeaving", "Leaving Soon");
    RegisterProgram(kMachineUninstall, "VigiloTestSwapOld", "Swap Editor 1.0", "Swap Maker");
    StartVigilo();
    vigilo_->Folder().Write("SList.txt", "[OptFr]\r\nspyware=1\r\n");

    // One case per watched key at a time: the three monitors settle together.
    RegisterProgram(kMachineUninstall, "VigiloTestKb", "Security Update for Windows (KB123456)");
    RegisterProgram(kUserUninstall, "VigiloTestUpdFor", "Update for Office");
    RegisterProgram(kWow64Uninstall, "VigiloTestHotfix", "Some Fix", "", "Hotfix");
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    RegisterProgram(kMachineUninstall, "VigiloTestRollup", "Rolled", "", "Update Rollup");
    RegisterProgram(kUserUninstall, "VigiloTestExcluded", "Best SpyWare Remover");
    UnregisterProgram(kWow64Uninstall, "VigiloTestLeaving");
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    UnregisterProgram(kMachineUninstall, "VigiloTestSwapOld");
    RegisterProgram(kMachineUninstall, "VigiloTestSwapNew", "Swap Editor 2.0", "Swap Maker");  // an upgrade
    RegisterProgram(kUserUninstall, "VigiloTestBlink", "Blink");
    Sleep(1000);
    UnregisterProgram(kUserUninstall, "VigiloTestBlink");
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    // The monitors are still alive: a plain program is reported.
    RegisterProgram(kWow64Uninstall, "VigiloTestPlain", "Plain Program");
    ExpectReportedThenClose("PLAIN PROGRAM");
}

TEST_F(NewProgram, EitherNotifierSettingLetsARunningMonitorReport) {
    StartVigilo();
    SetDword(kCu, kSettings, "NewAppNotifier", 0);
    RegisterProgram(kMachineUninstall, "VigiloTestMuted", "Muted");
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    SetDword(kCu, kSettings, "UninstallNotifier", 1);
    RegisterProgram(kMachineUninstall, "VigiloTestHeard", "Heard");
    ExpectReportedThenClose("HEARD");
}

TEST_F(NewProgram, WithoutPurgeonTheLinkShowsTheInformationWindowThenCloses) {
    StartVigilo(false);
    RegisterProgram(kMachineUninstall, "VigiloTestNoPurgeon", "Lonely App");
    HWND form = WaitForWindow();
    ASSERT_NE(form, nullptr);
    Click(form, kLink);
    HWND info = WaitForVisibleWindow(Pid(), "TForm3", 10000);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(WindowText(info), "Information");
    EXPECT_TRUE(IsWindowVisible(form)) << "the notification waits for the information window";
    HWND ok = FindChildByText(info, "OK");
    ASSERT_NE(ok, nullptr);
    PostClick(ok);
    EXPECT_TRUE(Gone(info));
    EXPECT_TRUE(Gone(form));
    EXPECT_EQ(Setting("NewAppNotifier"), 1u);  // unticked: left as it was
    EXPECT_TRUE(vigilo_->PurgeonCalls().empty());
}

// The per-user key exists only once the first per-user program registers;
// the installer writes the program's key with its values at once.
TEST_F(NewProgram, TheFirstPerUserProgramIsShownWhenTheKeyDidNotExistAtTheStart) {
    const std::string key = kUserUninstall.path;
    DeleteKeyTree(kUserUninstall.root, key.substr(0, key.size() - 1));
    StartVigilo();
    RegisterProgram(kUserUninstall, "VigiloTestFirst", "First Program", "First Ltd");
    ExpectReportedThenClose("FIRST PROGRAM");
}
