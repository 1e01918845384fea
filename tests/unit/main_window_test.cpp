// The hidden main window in-process: menu texts from the language file, the
// junk timer armed by the CacheNotifier setting, and restarts of message 1135.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "platform/message_loop.h"
#include "platform/monitor_thread.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const std::string kSettings = "Software\\Purgeon";

std::string MenuText(HMENU menu, UINT id) {
    char text[256] = "";
    GetMenuStringA(menu, id, text, sizeof(text), MF_BYCOMMAND);
    return text;
}

class MainForm : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThreadCalls();
        ResetApplicationState();
    }
    void TearDown() override {
        DeleteFileA((BinFolder() + "\\German.ini").c_str());
        ResetApplicationState();
    }
    // Lets the posted message 1135 be handled.
    static void Settle() { WaitUntil([] { return false; }, 100); }
    CleanSettings settings;
};

}  // namespace

TEST_F(MainForm, MenuTextsComeFromTheChosenLanguageFile) {
    SetDword(HKEY_CURRENT_USER, kSettings, "Language", 2);
    WriteFile(BinFolder() + "\\German.ini", "[Tray]\r\nLaunch=Purgeon starten\r\n[Buttons]\r\nExit=Beenden\r\n");
    MainWindow form;
    EXPECT_EQ(MenuText(form.PopupMenu(), MainWindow::kLaunchItem), "Purgeon starten");
    EXPECT_EQ(MenuText(form.PopupMenu(), MainWindow::kExitItem), "Beenden");
    EXPECT_EQ(GetMenuItemCount(form.PopupMenu()), 4);  // with "Recent findings" and the separator
}

TEST_F(MainForm, MenuTextsFallBackToTheBuiltInDefaults) {
    // German chosen, but no German.ini; a Language of the wrong type reads as English.
    for (bool wrongType : {false, true}) {
        if (wrongType)
            SetString(HKEY_CURRENT_USER, kSettings, "Language", "2");
        else
            SetDword(HKEY_CURRENT_USER, kSettings, "Language", 2);
        MainWindow form;
        EXPECT_EQ(MenuText(form.PopupMenu(), MainWindow::kLaunchItem), "Launch Purgeon");
        EXPECT_EQ(MenuText(form.PopupMenu(), MainWindow::kExitItem), "Exit");
    }
}

// The timer serves the junk check and the scheduled-task check.
TEST_F(MainForm, TheTimerFollowsCacheNotifierAndStartupNotifierOnEveryRestart) {
    MainWindow form;
    EXPECT_FALSE(form.TimerEnabled());  // armed only once message 1135 is handled
    Settle();
    EXPECT_TRUE(form.TimerEnabled());   // CacheNotifier was created as true

    SetDword(HKEY_CURRENT_USER, kSettings, "CacheNotifier", 0);
    PostMessageA(form.Handle(), 1135, 0, 0);
    Settle();
    EXPECT_TRUE(form.TimerEnabled()) << "StartupNotifier is still on";

    SetDword(HKEY_CURRENT_USER, kSettings, "StartupNotifier", 0);
    PostMessageA(form.Handle(), 1135, 0, 0);
    Settle();
    EXPECT_FALSE(form.TimerEnabled());

    SetDword(HKEY_CURRENT_USER, kSettings, "CacheNotifier", 1);
    PostMessageA(form.Handle(), 1135, 0, 0);
    Settle();
    EXPECT_TRUE(form.TimerEnabled());
}

TEST_F(MainForm, AllNotifiersOffStartsNoGroupAndNoTimer) {
    for (const char* name : {"NewAppNotifier", "NewToolbarNotifier", "StartupNotifier", "CacheNotifier"})
        SetDword(HKEY_CURRENT_USER, kSettings, name, 0);
    MainWindow form;
    Settle();
    EXPECT_FALSE(form.TimerEnabled());
    for (FindingKind g : kMonitorGroups)
        EXPECT_FALSE(form.Monitors().Running(g));
    EXPECT_TRUE(form.Monitors().Threads().empty());
}

TEST_F(MainForm, TheCloseRequestClosesTheFormThroughTheMessageLoop) {
    MainWindow form;
    PostMessageA(form.Handle(), RegisterWindowMessageA("Vigilo"), 1136, 0);
    Settle();
    EXPECT_FALSE(ApplicationTerminated());
    PostMessageA(form.Handle(), RegisterWindowMessageA("Vigilo"), 1137, 0);
    RunMessageLoop();  // returns because the form closed
    EXPECT_TRUE(ApplicationTerminated());
    EXPECT_FALSE(form.TimerEnabled());
}
