// Startup entries from end to end: values added to the Run and RunOnce keys
// while Vigilo.exe runs raise the startup window for 20 seconds, which is
// driven here as the user would, through its controls.
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"

using namespace vigilo::test;

namespace {

const std::string kSettings = "Software\\Purgeon";
const HKEY kCu = HKEY_CURRENT_USER;
// No settle delay: a reported entry shows within this time.
constexpr DWORD kAppearMs = 1500;
// A round that reports nothing is over by then, and its monitor watches again.
constexpr DWORD kNoReportMs = 2500;

// Client points of the startup window's controls.
constexpr POINT kLink{110, 180};
constexpr POINT kCloseCross{385, 10};
constexpr POINT kCheckBox{24, 213};

class StartupEntry : public NotificationProgram {
protected:
    StartupEntry() : NotificationProgram("TForm2c", "StartupNotifier") {}
    // Adds the entry and waits for the window naming it, at its place and on top.
    HWND AddAndExpectShown(const RunKey& key, const std::string& name) {
        if (!AddStartupEntry(key, name)) {
            ADD_FAILURE() << name << " exists already";
            return nullptr;
        }
        const ULONGLONG added = GetTickCount64();
        HWND form = WaitForWindow(5000);
        if (!form) {
            ADD_FAILURE() << name << " was not shown";
            return nullptr;
        }
        EXPECT_LT(GetTickCount64() - added, kAppearMs) << name;
        ExpectPlacedOnTop(form, "Startup notification", 238);
        EXPECT_NE(FindChildByText(form, name), nullptr) << name;
        return form;
    }
    // "Written at once" is timed: Wine's two-second wait for the withdrawal of a
    // hidden window, which no desktop has, must not count.
    UnmanagedVigiloWindows unmanaged_;
    RunKeys keys_;
};

}  // namespace

// The one test that waits out the 20 seconds for real.
TEST_F(StartupEntry, AUserEntryStaysTwentySecondsAndClosingItWithTheBoxTickedSilencesWhatFollows) {
    StartVigilo();
    // The window shows after the entry is written and before the test has
    // found it: its 20 seconds are bounded by both moments.
    const ULONGLONG written = GetTickCount64();
    HWND form = AddAndExpectShown(kUserRun, "Updater");
    ASSERT_NE(form, nullptr);
    const ULONGLONG shown = GetTickCount64();
    EXPECT_NE(FindChildByText(form, "just added itself to your Windows startup."), nullptr);

    // Two seconds later, another entry of the same key: recorded at once, not shown while the window is up.
    Sleep(2000);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestWhileUp"));
    EXPECT_TRUE(WaitUntil([] {
        const std::vector<std::string> lines = RecentFindingLines();
        return !lines.empty() && lines[0].ends_with("\tstartup\tVigiloTestWhileUp");
    }, 3000));
    EXPECT_EQ(VisibleWindowOf(Pid(), "TForm2c"), form);

    Sleep(2000);  // the user reads for five seconds, then ticks the box and closes the window
    HWND box = ControlAt(form, kCheckBox.x, kCheckBox.y);
    ASSERT_NE(box, nullptr);
    PostClick(box);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
    Click(form, kCloseCross);
    ASSERT_TRUE(Gone(form));
    EXPECT_TRUE(WaitUntil([] { return Setting("StartupNotifier") == 0; }, 2000)) << "written at once";
    EXPECT_TRUE(IsWindow(form)) << "hidden, kept for the rest of its time";

    // Nothing else shows during the remaining 15 seconds, nor later.
    ASSERT_TRUE(AddStartupEntry(kUserRunOnce, "VigiloTestMeanwhile"));
    EXPECT_TRUE(NoWindowFor(static_cast<DWORD>(shown + 19500 - GetTickCount64())));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 3000));
    const ULONGLONG gone = GetTickCount64();
    EXPECT_GE(gone - written, 19980u);  // a tick's rounding below 20 s
    EXPECT_LE(gone - shown, 21000u);

    // The monitor pauses a second after its hand-off; its next round is silenced by the setting.
    Sleep(1500);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestNextRound"));
    EXPECT_TRUE(NoWindowFor(kNoReportMs));
    EXPECT_EQ(Setting("StartupNotifier"), 0u);
}

// On 64-bit Windows the machine's Run keys exist in both registry views; a
// 32-bit installer writes to the 32-bit one. A shutdown while the window is
// up ends the program at once and writes nothing.
TEST_F(StartupEntry, MachineEntriesAreShownFromBothRegistryViewsAndAShutdownEndsTheWindow) {
    const struct {
        const RunKey* key;
        const RunKey* otherView;
    } cases[] = {{&kMachineRun64, &kMachineRun32},
                 {&kMachineRun32, &kMachineRun64},
                 {&kMachineRunOnce64, &kMachineRunOnce32},
                 {&kMachineRunOnce32, &kMachineRunOnce64}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key->path) + (c.key->view == KEY_WOW64_32KEY ? " (32-bit view)" : " (64-bit view)"));
        StartVigilo();
        ASSERT_NE(AddAndExpectShown(*c.key, "Updater"), nullptr);
        EXPECT_FALSE(HasStartupEntry(*c.otherView, "Updater")) << "the two views are one key here";
        ForgetSetting();

        PostCloseRequest(vigilo_->MainWindow(), 1137);
        EXPECT_TRUE(vigilo_->WaitForExit(3000)) << "the window held up the exit";
        EXPECT_EQ(vigilo_->ExitCode(), 0u);
        EXPECT_EQ(Setting("StartupNotifier"), 99u) << "nothing is written";
        vigilo_.reset();
        RemoveStartupEntry(*c.key, "Updater");
    }
}

// Updaters rewrite their arguments at every update; a program replaced is a hijack.
TEST_F(StartupEntry, ARunValueWhoseProgramChangesShowsThatItChangedAndOneWhoseArgumentsChangeShowsNothing) {
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestUpdater"));
    StartVigilo();
    ChangeStartupEntry(kUserRun, "VigiloTestUpdater");
    EXPECT_TRUE(NoWindowFor(kNoReportMs)) << "arguments only";

    ChangeStartupProgram(kUserRun, "VigiloTestUpdater");
    HWND form = WaitForWindow(kAppearMs);
    ASSERT_NE(form, nullptr) << "the program changed";
    EXPECT_NE(FindChildByText(form, "VigiloTestUpdater"), nullptr);
    EXPECT_NE(FindChildByText(form, "changed what it starts with Windows."), nullptr);
    EXPECT_EQ(FindChildByText(form, "just added itself to your Windows startup."), nullptr);
    ASSERT_FALSE(RecentFindingLines().empty());
    EXPECT_NE(RecentFindingLines()[0].find("\tstartup\tVigiloTestUpdater"), std::string::npos);
}

TEST_F(StartupEntry, NothingIsShownForDeletedEntriesExcludedNamesWhilePurgeonRunsOrWhenSwitchedOff) {
    ASSERT_TRUE(AddStartupEntry(kUserRunOnce, "VigiloTestLeaving"));
    StartVigilo();
    vigilo_->Folder().Write("SList.txt", "[OptFr]\r\nspyware=1\r\n");

    // One case per watched key at a time: each round is over before the next case.
    RemoveStartupEntry(kUserRunOnce, "VigiloTestLeaving");
    ASSERT_TRUE(AddStartupEntry(kMachineRun64, "VigiloTest SpyWare Guard"));
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    ASSERT_TRUE(StartPurgeon());
    ASSERT_TRUE(AddStartupEntry(kMachineRunOnce32, "VigiloTestWhilePurgeonRuns"));
    EXPECT_TRUE(NoWindowFor(kNoReportMs));
    const std::vector<std::string> recorded = RecentFindingLines();
    EXPECT_TRUE(!recorded.empty() && recorded[0].ends_with("\tstartup\tVigiloTestWhilePurgeonRuns")) << "held back, not lost";
    EndPurgeons();

    SetDword(kCu, kSettings, "StartupNotifier", 0);
    ASSERT_TRUE(AddStartupEntry(kMachineRun32, "VigiloTestSwitchedOff"));
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    // The monitors still run: switched on again, an entry is shown.
    SetDword(kCu, kSettings, "StartupNotifier", 1);
    EXPECT_NE(AddAndExpectShown(kMachineRunOnce64, "VigiloTestHeard"), nullptr);
}

// Any program could make Purgeon's window and silence every startup watch.
TEST_F(StartupEntry, ALookAlikeOfPurgeonsWindowHoldsNothingBack) {
    StartVigilo();
    WNDCLASSW lookAlike{};
    lookAlike.lpfnWndProc = DefWindowProcW;
    lookAlike.hInstance = GetModuleHandleW(nullptr);
    lookAlike.lpszClassName = L"TForm1a";
    RegisterClassW(&lookAlike);
    HWND decoy = CreateWindowExW(0, L"TForm1a", L"Purgeon", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(decoy, nullptr);
    EXPECT_NE(AddAndExpectShown(kUserRun, "VigiloTestDespiteTheDecoy"), nullptr);
    DestroyWindow(decoy);
}

TEST_F(StartupEntry, TheLinkStartsPurgeonForStartupEntriesAndWritesTheSetting) {
    StartVigilo();
    HWND form = AddAndExpectShown(kUserRunOnce, "VigiloTestLinked");
    ASSERT_NE(form, nullptr);
    ExpectLinkStartsPurgeon(form, kLink, "Check with Purgeon", "  /STARTUP");
}

TEST_F(StartupEntry, AnEntryAddedWhileTheNewProgramWindowIsOpenIsDroppedForGood) {
    UninstallKeys uninstallKeys;
    StartVigilo();
    RegisterProgram(kMachineUninstall, "VigiloTestBusy", "Busy Program");
    HWND newProgram = WaitForVisibleWindow(Pid(), "TForm2a", 15000);
    ASSERT_NE(newProgram, nullptr);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestDropped"));
    EXPECT_TRUE(NoWindowFor(kNoReportMs));
    Click(newProgram, kCloseCross);
    ASSERT_TRUE(Gone(newProgram));
    EXPECT_TRUE(NoWindowFor(kNoReportMs)) << "a dropped entry came back";
}

// A cleaner or a restore deletes the key and makes it again: the watch
// waits for it and watches it again, with no restart.
TEST_F(StartupEntry, TheUsersRunKeyDeletedAndMadeAgainIsWatchedAgain) {
    StartVigilo();
    DeleteKeyTree(kUserRun.root, kUserRun.path);
    ASSERT_TRUE(NoWindowFor(kNoReportMs));
    ASSERT_TRUE(vigilo::CreateKey(kUserRun.root, kUserRun.path, KEY_ALL_ACCESS));
    EXPECT_TRUE(NoWindowFor(kNoReportMs)) << "the empty key came back";
    EXPECT_NE(AddAndExpectShown(kUserRun, "Returned"), nullptr);
}
