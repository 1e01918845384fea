// A screen reader learns of Vigilo's notification as soon as it shows: a
// test process's out-of-context event hook, as NVDA and Narrator hold one,
// receives EVENT_SYSTEM_ALERT for the startup window within a second of its
// showing.
#include <gtest/gtest.h>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

struct Alert {
    HWND window = nullptr;
    LONG object = 0;
    LONG child = -1;
};
Alert g_alert;

void CALLBACK RecordAlert(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (!g_alert.window) g_alert = {window, object, child};
}

class ScreenReader : public NotificationProgram {
protected:
    ScreenReader() : NotificationProgram("TForm2c", "StartupNotifier") {}
    ~ScreenReader() override {
        if (hook_) UnhookWinEvent(hook_);
    }
    RunKeys keys_;
    HWINEVENTHOOK hook_ = nullptr;
};

}  // namespace

TEST_F(ScreenReader, HearsTheStartupWindowAsAnAlertWithinASecondOfItsShowing) {
    StartVigilo();
    hook_ = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, &RecordAlert, Pid(), 0,
                            WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook_, nullptr);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestHeard"));
    HWND form = WaitForWindow(5000);
    ASSERT_NE(form, nullptr);
    // The events come through this thread's message queue, which the waits pump.
    EXPECT_TRUE(WaitUntil([] { return g_alert.window != nullptr; }, 1000));
    EXPECT_EQ(g_alert.window, form);
    EXPECT_EQ(g_alert.object, OBJID_CLIENT);
    EXPECT_EQ(g_alert.child, CHILDID_SELF);
    vigilo_->Kill();
}
