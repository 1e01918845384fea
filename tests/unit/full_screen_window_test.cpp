// A notification window that is up when a full-screen program comes to the
// front leaves it the screen: it is no longer kept topmost, by its watch of
// the foreground or on activation, until the program goes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "core/language_texts.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "windows/new_program_window.h"

namespace vigilo {
namespace {

bool Topmost(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

class FullScreenWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        SetCursorPos(5, 5);
        // Fault: the rule answers what the test says is in front.
        NotificationWindow::FullScreenInFront() = [this] { return fullScreen_; };
        form_ = std::make_unique<NewProgramWindow>();
        form_->ProgramName = "FOO EDITOR";
        form_->ShowWithoutActivating();
    }
    void TearDown() override {
        form_.reset();
        NotificationWindow::FullScreenInFront() = saved_;
    }

    bool fullScreen_ = false;
    std::function<bool()> saved_ = NotificationWindow::FullScreenInFront();
    test::CleanSettings settings_;
    test::ProgramFolder folder_{false};
    std::unique_ptr<NewProgramWindow> form_;
};

TEST_F(FullScreenWindow, LeavesTheTopmostWindowsWhileAFullScreenProgramIsInFrontAndReturnsWhenItGoes) {
    ASSERT_TRUE(Topmost(form_->Handle()));
    fullScreen_ = true;
    // Noticed by the window's own watch of the foreground, within its second.
    EXPECT_TRUE(test::WaitUntil([&] { return !Topmost(form_->Handle()); }, 2500));
    form_->StayOnTop();
    EXPECT_FALSE(Topmost(form_->Handle())) << "not re-asserted while the program is in front";
    EXPECT_TRUE(form_->Visible());

    fullScreen_ = false;
    EXPECT_TRUE(test::WaitUntil([&] { return Topmost(form_->Handle()); }, 2500));
}

TEST_F(FullScreenWindow, ActivationDoesNotPutItBackOverTheProgram) {
    fullScreen_ = true;
    SetForegroundWindow(form_->Handle());
    ASSERT_TRUE(test::WaitUntil([&] { return GetActiveWindow() == form_->Handle(); }, 3000));
    EXPECT_FALSE(Topmost(form_->Handle()));
}

TEST_F(FullScreenWindow, AClosedWindowWatchesNothing) {
    form_->Close();
    fullScreen_ = true;
    test::WaitUntil([] { return false; }, 1500);
    // Hidden and unwatched: its topmost state is left as the close left it.
    EXPECT_TRUE(Topmost(form_->Handle()));
}

}  // namespace
}  // namespace vigilo
