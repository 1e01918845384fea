// What is added while Vigilo is not running is reported at its next start,
// once: a Run value added while it was closed raises the startup window.
#include <gtest/gtest.h>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

// A round that reports nothing is over by then.
constexpr DWORD kNoReportMs = 2500;

class CatchUp : public NotificationProgram {
protected:
    CatchUp() : NotificationProgram("TForm2c", "StartupNotifier") {}
    RunKeys keys_;
};

}  // namespace

TEST_F(CatchUp, ARunValueAddedWhileVigiloWasClosedIsShownAtItsNextStartAndNotAgainAfterARestart) {
    // The first start ever has nothing kept: what is there is not new.
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestBefore"));
    StartVigilo();
    EXPECT_TRUE(NoWindowFor(kNoReportMs)) << "shown at the first start";
    vigilo_->Stop();

    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestWhileAway"));
    StartVigilo();
    HWND form = WaitForWindow(5000);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "VigiloTestWhileAway"), nullptr);

    // Once the window's 20 seconds are over, message 1135 restarts the watches: nothing is shown again.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000));
    PostMessageA(vigilo_->MainWindow(), 1135, 0, 0);
    EXPECT_TRUE(NoWindowFor(kNoReportMs)) << "shown again after the restart";
}
