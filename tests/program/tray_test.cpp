// Vigilo.exe's tray icon driven from outside, as the shell drives it: the
// callback message posted to the program's tray handler window with the
// icon's id, keys pressed in its popup menu, and the "TaskbarCreated"
// broadcast of a restarted taskbar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "support/tray_support.h"

using namespace vigilo::test;

namespace {

// Starts Vigilo; its tray handler window once the icon is in the tray, or null.
HWND StartWithTrayIcon(VigiloInstall& vigilo) {
    if (!vigilo.Start() || !vigilo.WaitForMainWindow()) return nullptr;
    return WaitForTrayIcon(vigilo.ProcessId());
}

void Click(HWND handler) {
    PostTrayNotification(handler, kFirstIconId, WM_LBUTTONDOWN);
    PostTrayNotification(handler, kFirstIconId, WM_LBUTTONUP);
}

// The information windows of process pid, visible or not.
int InformationWindows(DWORD pid) {
    int count = 0;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "TForm3", "Information")) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        count += owner == pid;
    }
    return count;
}

}  // namespace

TEST(TrayProgram, ClickLaunchesPurgeonAndExitEndsTheProgramAndRemovesTheIcon) {
    CleanSettings settings;
    VigiloInstall vigilo;
    const HWND handler = StartWithTrayIcon(vigilo);
    ASSERT_NE(handler, nullptr);

    // A taskbar that lost the icon gets it back when it announces itself.
    ASSERT_TRUE(ShellDeleteIcon(handler, kFirstIconId));
    BroadcastTaskbarCreated();
    EXPECT_TRUE(ShellHasIcon(handler, kFirstIconId));

    Click(handler);
    EXPECT_TRUE(WaitUntil([&] { return vigilo.PurgeonCalls() == std::vector<std::string>{""}; }, 10000));
    EndPurgeons();

    const HWND menu = OpenTrayMenu(handler, vigilo.ProcessId());
    ASSERT_NE(menu, nullptr);
    PostKey(menu, VK_UP);  // from nothing selected up to the last item, "Exit"
    PostKey(menu, VK_RETURN);
    ASSERT_TRUE(vigilo.WaitForExit(10000));
    EXPECT_EQ(vigilo.ExitCode(), 0u);
    EXPECT_FALSE(ShellHasIcon(handler, kFirstIconId));
    EXPECT_EQ(vigilo.PurgeonCalls().size(), 1u);
}

// A user name in another script than the system code page's puts Vigilo there.
TEST(TrayProgram, InAFolderNamedInAnotherScriptAClickFindsAndStartsPurgeon) {
    CleanSettings settings;
    VigiloInstall vigilo(true, " \xE2\x98\x83\xE4\xB8\xAD\xE6\x96\x87");  // " ☃中文"
    const HWND handler = StartWithTrayIcon(vigilo);
    ASSERT_NE(handler, nullptr);
    Click(handler);
    EXPECT_TRUE(WaitUntil([&] { return vigilo.PurgeonCalls() == std::vector<std::string>{""}; }, 10000));
    EXPECT_EQ(InformationWindows(vigilo.ProcessId()), 0);
}

TEST(TrayProgram, WithoutPurgeonAClickShowsOneInformationWindowAndTheTrayStaysUsable) {
    CleanSettings settings;
    VigiloInstall vigilo(false);
    const HWND handler = StartWithTrayIcon(vigilo);
    ASSERT_NE(handler, nullptr);

    Click(handler);
    HWND info = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (info = FindTopWindow("TForm3", "Information", vigilo.ProcessId())) != nullptr; }, 10000));
    // Another click, and "Launch Purgeon" in the menu, while it is up add no second one.
    Click(handler);
    HWND menu = OpenTrayMenu(handler, vigilo.ProcessId());
    ASSERT_NE(menu, nullptr);
    PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
    EXPECT_FALSE(WaitUntil([&] { return InformationWindows(vigilo.ProcessId()) > 1; }, 1500));
    EXPECT_EQ(InformationWindows(vigilo.ProcessId()), 1);
    PostMessageA(info, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return InformationWindows(vigilo.ProcessId()) == 0; }, 10000));

    menu = OpenTrayMenu(handler, vigilo.ProcessId());
    ASSERT_NE(menu, nullptr);
    PostKey(menu, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return FindTrackedMenu(vigilo.ProcessId()) == nullptr; }, 5000));
    EXPECT_TRUE(vigilo.Running());
    EXPECT_TRUE(ShellHasIcon(handler, kFirstIconId));
    vigilo.Stop();
    EXPECT_EQ(vigilo.ExitCode(), 0u);
}
