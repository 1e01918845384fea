// No notification over a full-screen program: while a window without a
// caption covers the whole screen in front, a new startup entry is recorded
// at once but its window waits, and shows once that program has gone.
#include <gtest/gtest.h>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

class FullScreen : public NotificationProgram {
protected:
    FullScreen() : NotificationProgram("TForm2c", "StartupNotifier") {}
    RunKeys keys_;
};

// A game, a video or a presentation, as Windows sees one: a popup window
// covering the monitor, in front.
HWND ShowFullScreenWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "VigiloTestFullScreen";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Game", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  nullptr, nullptr);
    SetForegroundWindow(window);
    WaitUntil([&] { return GetForegroundWindow() == window; }, 3000);
    return window;
}

}  // namespace

TEST_F(FullScreen, AStartupEntryWaitsUntilTheFullScreenProgramInFrontHasGone) {
    StartVigilo();
    HWND game = ShowFullScreenWindow();
    ASSERT_EQ(GetForegroundWindow(), game);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestBehindTheGame"));
    ASSERT_TRUE(WaitUntil([] { return RecentFindingLines().size() == 1; }, 3000)) << "recorded at once";
    EXPECT_TRUE(NoWindowFor(4000));

    DestroyWindow(game);
    HWND form = WaitForWindow(5000);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "VigiloTestBehindTheGame"), nullptr);
    vigilo_->Kill();
}
