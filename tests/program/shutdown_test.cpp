// Purgeon's close request ends Vigilo.exe from every state in which it
// waits: within 3 seconds, with its tray icon removed and without writing a
// setting (a ticked "don't show" box is not saved by a shutdown). Wine's
// wait for a window manager the test display lacks is left out
// (UnmanagedVigiloWindows): it is no part of the program's time.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "core/settings_store.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"
#include "support/tray_support.h"
#include "support/ui_support.h"

using namespace vigilo::test;

namespace {

constexpr DWORD kShutdownLimitMs = 3000;
// The don't-show box of the new-program and startup windows.
constexpr POINT kCheckBox{24, 213};

class Shutdown : public NotificationProgram {
protected:
    Shutdown() : NotificationProgram("TForm2a", "NewAppNotifier") {}

    void Start(bool withPurgeon = true) {
        StartVigilo(withPurgeon);
        handler_ = WaitForTrayIcon(Pid());
        ASSERT_NE(handler_, nullptr);
        settingsBefore_ = SettingsValues();
    }
    // Ticks the don't-show box of a notification window of windowClass.
    void TickBoxOf(const char* windowClass) {
        HWND form = WaitForVisibleWindow(Pid(), windowClass, 15000);
        ASSERT_NE(form, nullptr) << windowClass;
        HWND box = ControlAt(form, kCheckBox.x, kCheckBox.y);
        ASSERT_NE(box, nullptr);
        PostClick(box);
        ASSERT_TRUE(WaitUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
    }
    // Posts the close request and checks how the program ends.
    void ExpectCleanShutdown() {
        const DWORD requested = GetTickCount();
        PostCloseRequest(vigilo_->MainWindow(), 1137);
        ASSERT_TRUE(vigilo_->WaitForExit(15000));
        EXPECT_LE(GetTickCount() - requested, kShutdownLimitMs);
        EXPECT_EQ(vigilo_->ExitCode(), 0u);
        EXPECT_FALSE(ShellHasIcon(handler_, kFirstIconId));
        EXPECT_EQ(SettingsValues(), settingsBefore_);
    }

    UnmanagedVigiloWindows unmanaged_;
    HWND handler_ = nullptr;
    std::string settingsBefore_;
};

}  // namespace

TEST_F(Shutdown, WithTheNewProgramWindowOpen) {
    UninstallKeys keys;
    Start();
    RegisterProgram(kMachineUninstall, "VigiloTestOpenAtExit", "Open At Exit");
    TickBoxOf("TForm2a");
    ExpectCleanShutdown();
}

TEST_F(Shutdown, WithTheStartupWindowUpForItsTwentySeconds) {
    RunKeys keys;
    Start();
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestUpAtExit"));
    TickBoxOf("TForm2c");
    ExpectCleanShutdown();
}

TEST_F(Shutdown, WithTheInformationWindowOpen) {
    Start(false);
    PostTrayNotification(handler_, kFirstIconId, WM_LBUTTONDOWN);
    PostTrayNotification(handler_, kFirstIconId, WM_LBUTTONUP);
    ASSERT_NE(WaitForVisibleWindow(Pid(), "TForm3", 10000), nullptr);
    ExpectCleanShutdown();
}

// The menu runs a tracking loop of its own.
TEST_F(Shutdown, WithTheTrayMenuOpen) {
    Start();
    ASSERT_NE(OpenTrayMenu(handler_, Pid()), nullptr);
    ExpectCleanShutdown();
}

// A program registered a second ago is still settling (5 s): the shutdown
// does not wait for it, and nothing is shown.
TEST_F(Shutdown, DuringTheSettleDelayOfANewProgram) {
    UninstallKeys keys;
    Start();
    RegisterProgram(kMachineUninstall, "VigiloTestSettling", "Settling At Exit");
    EXPECT_TRUE(NoWindowFor(1000));
    ExpectCleanShutdown();
}

// The close request is posted right behind the timer's tick, so it is
// handled while the junk check walks a cache that holds more than enough
// junk for its window: the walk stops, and nothing is shown or recorded.
TEST_F(Shutdown, DuringTheJunkCheckWalkingABigCache) {
    char cache[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, cache);
    const std::string tree = std::string(cache) + "\\VigiloShutdownTest";
    struct Remove {
        std::string path;
        ~Remove() { RemoveTree(path); }
    } removeTree{tree};
    for (int folder = 0; folder < 20; ++folder) {
        const std::string path = tree + "\\site" + std::to_string(folder);
        ASSERT_TRUE(MakeFolders(path));
        for (int file = 0; file < 50; ++file) WriteFile(path + "\\entry" + std::to_string(file), "junk");
    }
    ASSERT_TRUE(WriteSparseFile(tree + "\\big", 157286400));
    const double stale = vigilo::Now() - 7.0 / 24;
    SetRaw(HKEY_CURRENT_USER, "Software\\Purgeon", "LastCacheNotification", REG_BINARY, &stale, sizeof(stale));
    Start();
    PostMessageA(vigilo_->MainWindow(), WM_TIMER, 1, 0);
    ExpectCleanShutdown();
}

// The information window no longer runs a loop of its own: with it up, the
// main thread serves everything as before. Message 1135 restarts the
// monitors (the startup watches, switched on meanwhile, report a new entry),
// and the close request ends Vigilo within 2 seconds.
TEST_F(Shutdown, WithTheInformationWindowUpTheMonitorsRestartAndTheCloseRequestEndsIt) {
    RunKeys keys;
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 0);
    Start(false);
    PostTrayNotification(handler_, kFirstIconId, WM_LBUTTONDOWN);
    PostTrayNotification(handler_, kFirstIconId, WM_LBUTTONUP);
    ASSERT_NE(WaitForVisibleWindow(Pid(), "TForm3", 10000), nullptr);

    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 1);
    PostMessageA(vigilo_->MainWindow(), 1135, 0, 0);
    Sleep(2000);  // the restarted watches list their baselines
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestBesideInformation"));
    ASSERT_NE(WaitForVisibleWindow(Pid(), "TForm2c", 15000), nullptr);
    ASSERT_NE(WaitForVisibleWindow(Pid(), "TForm3", 0), nullptr);  // still up

    settingsBefore_ = SettingsValues();
    const DWORD requested = GetTickCount();
    PostCloseRequest(vigilo_->MainWindow(), 1137);
    ASSERT_TRUE(vigilo_->WaitForExit(15000));
    EXPECT_LE(GetTickCount() - requested, 2000u);
    EXPECT_EQ(vigilo_->ExitCode(), 0u);
    EXPECT_EQ(SettingsValues(), settingsBefore_);
}
