// The tray icon driven as the shell drives it: the callback message with the
// icon's id and a mouse or balloon notification sent to the handler window,
// and the "TaskbarCreated" broadcast. Most icons here stay out of the tray
// (the handler reacts all the same); only the shell test adds one, since
// Wine takes about 2 s to remove the last icon.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "support/test_support.h"
#include "support/tray_support.h"
#include "tray/simple_timer.h"
#include "tray/tray_icon.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// Stands for the main window: receives the menu's commands and the WM_NULL.
class OwnerWindow : public Window {
public:
    OwnerWindow() {
        RegisterClassOnce("VigiloTrayTestOwner");
        CreateHandle("VigiloTrayTestOwner", "", WS_POPUP, 0, 0, 0, 0, 0);
    }
    std::vector<UINT> commands;
    int nulls = 0;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_COMMAND) commands.push_back(LOWORD(wp));
        if (msg == WM_NULL) ++nulls;
        return Window::OnMessage(msg, wp, lp);
    }
};

// A menu like the tray menu: two commands around a separator.
UniqueMenu MakeMenu() {
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuA(menu.get(), MF_STRING, 11, "First");
    AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.get(), MF_STRING, 13, "Last");
    return menu;
}

// Pumps messages (timers included) for ms milliseconds.
void Pump(DWORD ms) { WaitUntil([] { return false; }, ms); }

class TrayIconTest : public ::testing::Test {
protected:
    LRESULT Notify(UINT notification) { return SendTrayNotification(icon.HandlerWindow(), icon.IconId(), notification); }
    void Click() {
        Notify(WM_LBUTTONDOWN);
        Notify(WM_LBUTTONUP);
    }
    void DoubleClick() {
        Notify(WM_LBUTTONDOWN);
        Notify(WM_LBUTTONUP);
        Notify(WM_LBUTTONDBLCLK);
        Notify(WM_LBUTTONUP);
    }

    OwnerWindow owner;
    TrayIcon icon{owner.Handle()};
    std::vector<std::string> events;
};

}  // namespace

TEST_F(TrayIconTest, ClickIsRaisedAtTheReleaseAndADoubleClickGivesOneClick) {
    icon.OnClick = [&] { events.push_back("click"); };
    icon.OnMouseDown = [&](MouseButton button, ModifierKeys shift, int, int) {
        events.push_back(button == MouseButton::Left && (shift & kLeftHeld) ? "down left" : "down ?");
    };
    icon.OnMouseUp = [&](MouseButton button, ModifierKeys, int, int) {
        events.push_back(button == MouseButton::Left ? "up left" : "up ?");
    };
    Notify(WM_LBUTTONDOWN);
    EXPECT_EQ(events, (std::vector<std::string>{"down left"}));
    Notify(WM_LBUTTONUP);  // raised right here, not after the double-click time
    EXPECT_EQ(events, (std::vector<std::string>{"down left", "click", "up left"}));

    events.clear();
    icon.OnMouseDown = nullptr;
    icon.OnMouseUp = nullptr;
    DoubleClick();
    Pump(GetDoubleClickTime() + 200);
    EXPECT_EQ(events, (std::vector<std::string>{"click"}));
}

TEST_F(TrayIconTest, WithADoubleClickHandlerAClickWaitsAndADoubleClickDropsIt) {
    int clicks = 0, doubleClicks = 0;
    icon.OnClick = [&] { ++clicks; };
    icon.OnDblClick = [&] { ++doubleClicks; };
    const DWORD start = GetTickCount();
    Click();
    EXPECT_EQ(clicks, 0);
    ASSERT_TRUE(WaitUntil([&] { return clicks == 1; }, 5000));
    EXPECT_GE(GetTickCount() - start + 30, GetDoubleClickTime());  // timer granularity

    DoubleClick();
    EXPECT_EQ(doubleClicks, 1);
    Pump(GetDoubleClickTime() + 200);
    EXPECT_EQ(clicks, 1);

    Click();  // a later single click counts again
    EXPECT_TRUE(WaitUntil([&] { return clicks == 2; }, 5000));
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(TrayIconTest, DoubleClickChoosesTheMenusDefaultItemIfItHasOne) {
    UniqueMenu menu = MakeMenu();
    icon.SetPopupMenu(menu.get());
    DoubleClick();
    EXPECT_TRUE(owner.commands.empty());
    SetMenuDefaultItem(menu.get(), 13, FALSE);
    DoubleClick();
    EXPECT_EQ(owner.commands, (std::vector<UINT>{13}));
}

TEST_F(TrayIconTest, RightButtonPressOpensTheMenuAndTheChosenItemReachesTheOwner) {
    UniqueMenu menu = MakeMenu();
    icon.SetPopupMenu(menu.get());
    icon.OnMouseDown = [&](MouseButton button, ModifierKeys shift, int, int) {
        events.push_back(button == MouseButton::Right && (shift & kRightHeld) ? "down right" : "down ?");
    };
    {
        // Escape closes the menu: nothing is chosen.
        WhenMenuTracked script([&](HWND menuWindow) {
            events.push_back("menu");
            PostKey(menuWindow, VK_ESCAPE);
        });
        Notify(WM_RBUTTONDOWN);  // returns once the menu has closed
        EXPECT_EQ(script.MenusSeen(), 1);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"down right", "menu"}));
    EXPECT_TRUE(owner.commands.empty());
    {
        // The last item, chosen with the keyboard, has run when the press returns.
        WhenMenuTracked script([&](HWND menuWindow) {
            PostKey(menuWindow, VK_UP);
            PostKey(menuWindow, VK_RETURN);
        });
        Notify(WM_RBUTTONDOWN);
        EXPECT_EQ(script.MenusSeen(), 1);
        EXPECT_EQ(owner.commands, (std::vector<UINT>{13}));
        // The release opens nothing.
        Notify(WM_RBUTTONUP);
        EXPECT_EQ(script.MenusSeen(), 1);
    }
    EXPECT_TRUE(WaitUntil([&] { return owner.nulls >= 2; }, 2000));  // one WM_NULL after each menu
}

TEST_F(TrayIconTest, WhenDisabledMouseNotificationsDoNothingButBalloonsStillReport) {
    UniqueMenu menu = MakeMenu();
    icon.SetPopupMenu(menu.get());
    SetMenuDefaultItem(menu.get(), 11, FALSE);
    icon.SetEnabled(false);
    icon.SetWantEnterExitEvents(true);
    icon.OnClick = [&] { events.push_back("click"); };
    icon.OnDblClick = [&] { events.push_back("dblclick"); };
    icon.OnMouseDown = [&](MouseButton, ModifierKeys, int, int) { events.push_back("down"); };
    icon.OnMouseUp = [&](MouseButton, ModifierKeys, int, int) { events.push_back("up"); };
    icon.OnMouseMove = [&](ModifierKeys, int, int) { events.push_back("move"); };
    icon.OnMouseEnter = [&] { events.push_back("enter"); };
    icon.OnBalloonHintHide = [&] { events.push_back("balloon hide"); };
    icon.OnBalloonHintTimeout = [&] { events.push_back("balloon timeout"); };
    icon.OnBalloonHintClick = [&] { events.push_back("balloon click"); };
    {
        WhenMenuTracked script([](HWND menuWindow) { PostKey(menuWindow, VK_ESCAPE); });
        for (UINT n : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_RBUTTONDOWN,
                       WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP})
            Notify(n);
        Pump(GetDoubleClickTime() + 200);
        EXPECT_EQ(script.MenusSeen(), 0);
    }
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_TRUE(events.empty());

    Notify(NIN_BALLOONHIDE);
    Notify(NIN_BALLOONTIMEOUT);
    Notify(NIN_BALLOONUSERCLICK);
    EXPECT_EQ(events, (std::vector<std::string>{"balloon hide", "balloon timeout", "balloon click"}));

    events.clear();
    icon.SetEnabled(true);
    Notify(WM_MOUSEMOVE);
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "move"}));
}

TEST_F(TrayIconTest, MouseExitIsFoundWhenTheCursorLeaves) {
    int enters = 0, exits = 0;
    icon.OnMouseEnter = [&] { ++enters; };
    icon.OnMouseExit = [&] { ++exits; };
    icon.SetWantEnterExitEvents(true);
    SetCursorPos(12, 32);
    Notify(WM_MOUSEMOVE);
    Notify(WM_MOUSEMOVE);
    EXPECT_EQ(enters, 1);
    Pump(100);
    EXPECT_EQ(exits, 0);
    SetCursorPos(400, 300);
    EXPECT_TRUE(WaitUntil([&] { return exits == 1; }, 2000));
    Notify(WM_MOUSEMOVE);
    EXPECT_EQ(enters, 2);
}

TEST_F(TrayIconTest, UnknownIdsAndNotificationsAreIgnored) {
    int clicks = 0;
    icon.OnClick = [&] { ++clicks; };
    SendTrayNotification(icon.HandlerWindow(), icon.IconId() + 1000, WM_LBUTTONDOWN);
    SendTrayNotification(icon.HandlerWindow(), icon.IconId() + 1000, WM_LBUTTONUP);
    Notify(WM_USER + 77);
    Notify(0xFFFFFFFFu);
    EXPECT_EQ(clicks, 0);
}

TEST_F(TrayIconTest, IconDataIsTheShellRecordWithTheTipCutTo127Characters) {
    const TrayIconData& data = icon.IconData();
    EXPECT_EQ(data.cbSize, sizeof(void*) == 4 ? 936u : 952u);  // the wide record as far as its balloon fields
    EXPECT_EQ(data.hWnd, icon.HandlerWindow());
    EXPECT_EQ(data.uID, icon.IconId());
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 2048u);

    std::string hint;
    for (int i = 0; i < 200; ++i) hint += static_cast<char>('A' + i % 26);
    icon.SetHint(hint);
    EXPECT_EQ(icon.Hint(), hint);
    EXPECT_EQ(Utf8(data.szTip), hint.substr(0, 127));
    EXPECT_EQ(data.szTip[127], L'\0');
    // Characters, not bytes, are counted: 127 snowmen of three UTF-8 bytes each.
    std::string snowmen;
    for (int i = 0; i < 200; ++i) snowmen += "\xE2\x98\x83";
    icon.SetHint(snowmen);
    EXPECT_EQ(Utf8(data.szTip), snowmen.substr(0, 3 * 127));

    icon.SetShowHint(false);
    EXPECT_EQ(std::memcmp(data.szTip, std::wstring(128, L'\0').data(), sizeof(data.szTip)), 0);
    icon.SetShowHint(true);
    icon.SetHint("");
    EXPECT_EQ(std::memcmp(data.szTip, std::wstring(128, L'\0').data(), sizeof(data.szTip)), 0);
    icon.SetHint(std::string(300, 'x'));
    EXPECT_EQ(icon.Hint().size(), 255u);  // the longest hint kept

    // No balloon is ever asked for: the balloon fields stay zero.
    EXPECT_EQ(data.dwState | data.dwStateMask | data.uTimeoutOrVersion | data.dwInfoFlags, 0u);
    EXPECT_EQ(data.szInfo[0] | data.szInfoTitle[0], 0);

    HICON image = MakeSolidIcon(RGB(255, 0, 0));
    icon.SetIcon(image);
    EXPECT_NE(icon.Icon(), image);  // its own copy
    DestroyIcon(image);
    EXPECT_EQ(IconColor(icon.Icon()), RGB(255, 0, 0));
    EXPECT_EQ(data.hIcon, icon.Icon());

    TrayIcon other;
    EXPECT_NE(other.IconId(), icon.IconId());
    EXPECT_EQ(other.HandlerWindow(), icon.HandlerWindow());
}

TEST_F(TrayIconTest, CyclingStepsThroughTheListAndAnIndexPastTheEndShowsTheLast) {
    const COLORREF colors[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    std::vector<UniqueIcon> list;
    for (COLORREF c : colors) list.emplace_back(MakeSolidIcon(c));
    icon.SetIconList(std::move(list));
    EXPECT_EQ(icon.IconIndex(), 0);
    EXPECT_EQ(IconColor(icon.Icon()), colors[0]);

    std::vector<int> reported;
    std::vector<COLORREF> shown;  // the image shown when each step is announced
    icon.OnCycle = [&](int next) {
        reported.push_back(next);
        shown.push_back(IconColor(icon.Icon()));
        if (reported.size() == 4) icon.SetCycleIcons(false);
    };
    icon.SetCycleInterval(30);
    icon.SetCycleIcons(true);
    ASSERT_TRUE(WaitUntil([&] { return reported.size() >= 4; }, 5000));
    Pump(100);
    EXPECT_EQ(reported, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(shown, (std::vector<COLORREF>{colors[0], colors[1], colors[2], colors[0]}));
    EXPECT_EQ(icon.IconIndex(), 1);
    EXPECT_EQ(IconColor(icon.IconData().hIcon), colors[1]);

    icon.SetIconIndex(7);
    EXPECT_EQ(icon.IconIndex(), 2);
    EXPECT_EQ(IconColor(icon.Icon()), colors[2]);
    icon.SetIconIndex(-5);
    EXPECT_EQ(icon.IconIndex(), 0);

    icon.SetIconList({});
    icon.SetIconIndex(4);
    EXPECT_EQ(icon.IconIndex(), 0);
}

TEST_F(TrayIconTest, HandlerWindowIsAHiddenTopLevelWindowThatRefusesToClose) {
    HWND handler = icon.HandlerWindow();
    EXPECT_EQ(ClassName(handler), kTrayHandlerClass);
    EXPECT_EQ(GetAncestor(handler, GA_ROOT), handler);
    EXPECT_EQ(GetWindow(handler, GW_OWNER), nullptr);
    EXPECT_FALSE(IsWindowVisible(handler));
    EXPECT_EQ(SendMessageA(handler, WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(SendMessageA(handler, WM_DESTROY, 0, 0), 1);
    EXPECT_EQ(SendMessageA(handler, WM_QUIT, 0, 0), 1);
    EXPECT_TRUE(IsWindow(handler));
    EXPECT_EQ(SendMessageA(handler, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(SendMessageA(handler, WM_ENDSESSION, 1, 0), 1);
    int clicks = 0;
    icon.OnClick = [&] { ++clicks; };
    Click();
    EXPECT_EQ(clicks, 1);
}

TEST(TrayIconLife, HandlerWindowsLiveExactlyWhileTheyHaveUsers) {
    const long windows = LiveHandleCount(HandleKind::Window);
    const long icons = LiveHandleCount(HandleKind::Icon);
    {
        auto first = std::make_unique<TrayIcon>();
        HICON image = MakeSolidIcon(RGB(1, 2, 3));
        first->SetIcon(image);
        DestroyIcon(image);
        first->SetWantEnterExitEvents(true);
        TrayIcon second;
        EXPECT_EQ(SharedLease<TrayIconHandler>::UserCount(), 2);
        EXPECT_EQ(SharedLease<SimpleTimerHandler>::UserCount(), 6);  // three timers each
        HWND handler = second.HandlerWindow();
        first.reset();
        EXPECT_TRUE(IsWindow(handler));
        EXPECT_EQ(SharedLease<TrayIconHandler>::UserCount(), 1);
    }
    EXPECT_EQ(SharedLease<TrayIconHandler>::Current(), nullptr);
    EXPECT_EQ(SharedLease<SimpleTimerHandler>::Current(), nullptr);
    EXPECT_EQ(FindWindowA(kTrayHandlerClass, nullptr), nullptr);
    EXPECT_EQ(FindWindowA(SimpleTimerHandler::kClassName, nullptr), nullptr);
    EXPECT_EQ(LiveHandleCount(HandleKind::Window), windows);
    EXPECT_EQ(LiveHandleCount(HandleKind::Icon), icons);
}

TEST(SimpleTimer, CallsBackUntilStoppedAndSurvivesAFailingCallback) {
    int calls = 0;
    SimpleTimer timer([&] {
        ++calls;
        if (calls == 1) throw std::runtime_error("first call fails");
    });
    EXPECT_FALSE(timer.Active());
    EXPECT_TRUE(timer.Start(15));
    EXPECT_TRUE(timer.Active());
    EXPECT_EQ(timer.Interval(), 15u);
    EXPECT_TRUE(WaitUntil([&] { return calls >= 3; }, 3000));
    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Active());
    const int stoppedAt = calls;
    Pump(100);
    EXPECT_EQ(calls, stoppedAt);
}

// The real shell: the only test that puts an icon in the tray.
TEST(TrayIconShell, TaskbarCreatedBringsBackAVisibleIconAndDestructionRemovesIt) {
    TrayIcon hidden;  // keeps the handler window when `shown` goes
    hidden.SetHint("hidden");
    auto shown = std::make_unique<TrayIcon>();
    HICON image = MakeSolidIcon(RGB(200, 40, 40));
    shown->SetIcon(image);
    DestroyIcon(image);
    shown->SetHint("Vigilo tray test");
    shown->SetIconVisible(true);
    ASSERT_TRUE(shown->IconVisible());
    const HWND handler = shown->HandlerWindow();
    const UINT id = shown->IconId();
    ASSERT_TRUE(ShellHasIcon(handler, id));
    EXPECT_TRUE(shown->RefreshTray());
    EXPECT_FALSE(ShellHasIcon(handler, hidden.IconId()));

    ASSERT_TRUE(ShellDeleteIcon(handler, id));  // the shell lost it
    EXPECT_FALSE(ShellHasIcon(handler, id));
    BroadcastTaskbarCreated();
    EXPECT_TRUE(ShellHasIcon(handler, id));
    EXPECT_FALSE(ShellHasIcon(handler, hidden.IconId()));  // never shown, not added

    shown.reset();
    EXPECT_FALSE(ShellHasIcon(handler, id));
    EXPECT_TRUE(IsWindow(handler));
}
