// When a finding's window may show: not while Windows says notifications
// are unwelcome or a full-screen program is in front. Meanwhile one finding
// of each kind waits, at most an hour, and the first that came is shown.
// And the rule of which window in front is a full-screen program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/notification_gate.h"
#include "support/test_support.h"

using namespace vigilo;

namespace {

class Gate : public ::testing::Test {
protected:
    NotificationGate gate_{{[this] { return state_; }, [this] { return foreground_; }, [this] { return now_; }}};
    QUERY_USER_NOTIFICATION_STATE state_ = QUNS_ACCEPTS_NOTIFICATIONS;
    ForegroundShape foreground_ = ForegroundShape::Other;
    ULONGLONG now_ = 1000;
    std::vector<std::string> shown_;

    void Hold(FindingKind kind, const std::string& name) {
        gate_.Hold(kind, [this, name] { shown_.push_back(name); });
    }
    // What the end of the unwelcome state shows.
    void ShowDue() {
        if (auto show = gate_.TakeDue()) show();
    }
};

}  // namespace

TEST_F(Gate, EachUnwelcomeStateAndAFullScreenProgramKeepWindowsBack) {
    EXPECT_FALSE(gate_.Unwelcome());
    for (QUERY_USER_NOTIFICATION_STATE state :
         {QUNS_BUSY, QUNS_RUNNING_D3D_FULL_SCREEN, QUNS_PRESENTATION_MODE, QUNS_QUIET_TIME}) {
        state_ = state;
        EXPECT_TRUE(gate_.Unwelcome()) << state;
    }
    for (QUERY_USER_NOTIFICATION_STATE state : {QUNS_NOT_PRESENT, QUNS_ACCEPTS_NOTIFICATIONS}) {
        state_ = state;
        EXPECT_FALSE(gate_.Unwelcome()) << state;
    }
    foreground_ = ForegroundShape::FullScreen;
    EXPECT_TRUE(gate_.Unwelcome());
}

// QUNS_APP (7, Windows 8): a store app is in front, in a window or filling its monitor.
constexpr auto kAppState = static_cast<QUERY_USER_NOTIFICATION_STATE>(7);

TEST_F(Gate, AnAppHoldsWindowsBackOnlyWhileTheWindowInFrontCoversItsMonitor) {
    state_ = kAppState;
    EXPECT_FALSE(gate_.Unwelcome()) << "an app in a window of its own";
    EXPECT_FALSE(gate_.FullScreenInFront());
    for (ForegroundShape covering : {ForegroundShape::CoversMonitor, ForegroundShape::FullScreen}) {
        foreground_ = covering;
        EXPECT_TRUE(gate_.Unwelcome());
        EXPECT_TRUE(gate_.FullScreenInFront());
    }
    // Without the app's state a captioned or sizable window that covers its monitor is no full-screen program.
    state_ = QUNS_ACCEPTS_NOTIFICATIONS;
    foreground_ = ForegroundShape::CoversMonitor;
    EXPECT_FALSE(gate_.Unwelcome());
    // Quiet hours and presentation mode hold new windows back but are no program in front.
    foreground_ = ForegroundShape::Other;
    for (QUERY_USER_NOTIFICATION_STATE state : {QUNS_PRESENTATION_MODE, QUNS_QUIET_TIME, QUNS_BUSY}) {
        state_ = state;
        EXPECT_EQ(gate_.FullScreenInFront(), state == QUNS_BUSY) << state;
    }
}

// A window of the given style covering a 1920 x 1080 monitor, or not.
WindowFacts Facts(LONG style, bool covers = true) {
    const RECT monitor{0, 0, 1920, 1080};
    return {true, false, style, covers ? monitor : RECT{0, 0, 1920, 1040}, monitor};
}

TEST(FullScreenRule, ACaptionlessWindowWithoutSizingFrameThatCoversItsMonitorIsOneMaximisedOrNot) {
    EXPECT_EQ(ShapeOf(Facts(WS_POPUP)), ForegroundShape::FullScreen);
    EXPECT_EQ(ShapeOf(Facts(WS_POPUP | WS_MAXIMIZE)), ForegroundShape::FullScreen) << "games often are maximised";
    EXPECT_EQ(ShapeOf(Facts(WS_POPUP | WS_BORDER)), ForegroundShape::FullScreen) << "a border is no caption";
    EXPECT_EQ(ShapeOf(Facts(WS_POPUP | WS_THICKFRAME)), ForegroundShape::CoversMonitor);
    EXPECT_EQ(ShapeOf(Facts(WS_OVERLAPPEDWINDOW | WS_MAXIMIZE)), ForegroundShape::CoversMonitor)
        << "a maximised program window";
    EXPECT_EQ(ShapeOf(Facts(WS_POPUP, false)), ForegroundShape::Other);
    WindowFacts hidden = Facts(WS_POPUP), desktop = Facts(WS_POPUP);
    hidden.visible = false;
    desktop.shellDesktop = true;
    EXPECT_EQ(ShapeOf(hidden), ForegroundShape::Other);
    EXPECT_EQ(ShapeOf(desktop), ForegroundShape::Other);
}

// The rule as it sees a real window in front.
TEST(FullScreenRule, AMaximisedPopupInFrontIsAFullScreenProgram) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "VigiloTestMaximisedGame";
    RegisterClassA(&windowClass);
    HWND game = CreateWindowExA(0, windowClass.lpszClassName, "Game", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                nullptr, nullptr);
    ShowWindow(game, SW_SHOWMAXIMIZED);
    SetWindowPos(game, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_NOZORDER);  // a game sizes itself to the monitor, whatever the work area
    SetForegroundWindow(game);
    ASSERT_TRUE(IsZoomed(game));
    ASSERT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == game; }, 3000));
    EXPECT_EQ(ForegroundWindowShape(), ForegroundShape::FullScreen);
    EXPECT_TRUE(FullScreenProgramInFront());
    DestroyWindow(game);
}

TEST_F(Gate, TheFirstThatCameIsShownWhenTheStateEndsTheNewerOfAKindReplacingTheOlder) {
    foreground_ = ForegroundShape::FullScreen;
    Hold(FindingKind::Startup, "first startup entry");
    Hold(FindingKind::Junk, "junk");
    Hold(FindingKind::Startup, "second startup entry");
    ShowDue();
    EXPECT_TRUE(shown_.empty());
    EXPECT_TRUE(gate_.Holding());

    foreground_ = ForegroundShape::Other;
    ShowDue();
    EXPECT_EQ(shown_, std::vector<std::string>{"junk"});
    EXPECT_FALSE(gate_.Holding()) << "the others only stay in the record";
}

TEST_F(Gate, AFindingThatWaitedAnHourIsLetGoUnseen) {
    state_ = QUNS_PRESENTATION_MODE;
    Hold(FindingKind::Program, "program");
    now_ += 30 * 60 * 1000;
    Hold(FindingKind::Extension, "extension");
    now_ += 30 * 60 * 1000 - 1;
    ShowDue();
    EXPECT_TRUE(gate_.Holding());
    now_ += 1;  // the program has waited an hour
    ShowDue();
    EXPECT_TRUE(gate_.Holding()) << "the extension still waits";
    state_ = QUNS_ACCEPTS_NOTIFICATIONS;
    ShowDue();
    EXPECT_EQ(shown_, std::vector<std::string>{"extension"});
}
