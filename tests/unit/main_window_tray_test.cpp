// The main window's TrayIcon as the program configures it, and its life: it
// shows from the form's creation and goes with the form.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/main_window.h"
#include "platform/message_loop.h"
#include "platform/unique_handle.h"
#include "support/test_support.h"
#include "support/tray_support.h"

using namespace vigilo;
using namespace vigilo::test;

TEST(MainWindowTray, ShowsThePurgeonIconWhoseExitItemClosesTheFormAndGoesWithTheForm) {
    CleanSettings settings;
    for (const char* name : {"NewAppNotifier", "NewToolbarNotifier", "StartupNotifier", "CacheNotifier"})
        SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", name, 0);  // no monitor threads here
    ResetApplicationState();
    TrayIcon keeper;  // keeps the handler window, to ask the shell about it afterwards
    const long windows = LiveHandleCount(HandleKind::Window);
    const long icons = LiveHandleCount(HandleKind::Icon);
    const long menus = LiveHandleCount(HandleKind::Menu);
    auto form = std::make_unique<MainWindow>();
    TrayIcon& tray = form->Tray();

    EXPECT_EQ(tray.Hint(), "Purgeon");
    EXPECT_EQ(std::wstring(tray.IconData().szTip), L"Purgeon");
    EXPECT_TRUE(tray.ShowHint());
    EXPECT_TRUE(tray.Enabled());
    EXPECT_TRUE(tray.IconVisible());
    EXPECT_EQ(tray.IconIndex(), 0);
    EXPECT_FALSE(tray.CycleIcons());
    EXPECT_EQ(tray.CycleInterval(), 0u);
    EXPECT_EQ(tray.PopupMenu(), form->PopupMenu());
    EXPECT_FALSE(tray.LeftPopup());
    EXPECT_TRUE(tray.OnClick != nullptr);
    EXPECT_TRUE(tray.OnDblClick == nullptr);  // clicks come at once
    ASSERT_NE(tray.Icon(), nullptr);  // the program icon, small size
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(tray.Icon(), &info));
    BITMAP bm{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON));
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);

    const HWND handler = tray.HandlerWindow();
    const UINT id = tray.IconId();
    EXPECT_TRUE(ShellHasIcon(handler, id));

    {
        // "Exit" is the last item; its handler has run when the press returns.
        WhenMenuTracked script([](HWND menu) {
            PostKey(menu, VK_UP);
            PostKey(menu, VK_RETURN);
        });
        SendTrayNotification(handler, id, WM_RBUTTONDOWN);
        EXPECT_EQ(script.MenusSeen(), 1);
    }
    ProcessMessages();  // takes the quit request that closing the main window posted
    EXPECT_TRUE(ApplicationTerminated());

    form.reset();
    EXPECT_FALSE(ShellHasIcon(handler, id));
    EXPECT_EQ(LiveHandleCount(HandleKind::Window), windows);  // its timers' window too
    EXPECT_EQ(LiveHandleCount(HandleKind::Icon), icons);
    EXPECT_EQ(LiveHandleCount(HandleKind::Menu), menus);
    ResetApplicationState();
}
