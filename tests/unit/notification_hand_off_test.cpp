// The hand-off of a finding to the main thread and the notification busy
// flag: one notification at a time, a finding that arrives meanwhile is
// dropped for good.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "windows/notification_shapes.h"
#include "platform/unique_handle.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;

class HandOff : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThreadCalls();
        TestNotificationForm::ResetRecord();
        SetNotificationBusy(false);
        ASSERT_TRUE(WaitUntil([] { return TThread::LiveCount() == 0; }, 15000));
    }
};

bool WaitWatching(const TestMonitor& monitor) { return WaitUntil([&] { return monitor.Watching(); }, 5000); }

}  // namespace

TEST_F(HandOff, BusyFlagIsClearedAfterEachNotificationEvenWhenItThrows) {
    EXPECT_TRUE(RunNotification([] { EXPECT_TRUE(NotificationBusy()); }));
    EXPECT_FALSE(NotificationBusy());
    EXPECT_THROW(RunNotification([] { throw std::runtime_error("window failed"); }), std::runtime_error);
    EXPECT_FALSE(NotificationBusy());
    SetNotificationBusy(true);
    bool ran = false;
    EXPECT_FALSE(RunNotification([&] { ran = true; }));
    EXPECT_FALSE(ran);
    SetNotificationBusy(false);
}

// Two monitors find something at once: the first finding's modal window is
// up on the main thread when the second arrives, which is dropped and never
// shown, not even after the window has closed.
TEST_F(HandOff, ModalNotificationRunsOnTheMainThreadAndASecondFindingIsDropped) {
    ScratchKey keyA("HandOffModalA"), keyB("HandOffModalB");
    const long windowsBefore = LiveHandleCount(HandleKind::Window);
    auto modal = [](TestMonitor& m) { m.handOff = HandOffKind::Modal; };
    auto first = StartTestMonitor(kCu, keyA.Path(), modal);
    auto second = StartTestMonitor(kCu, keyB.Path(), modal);
    ASSERT_TRUE(WaitWatching(*first) && WaitWatching(*second));

    // Drives the scene from outside while the main thread sits in the modal loop.
    std::thread driver([&] {
        if (!WaitUntil([] { return TestNotificationForm::Current() != nullptr; }, 10000)) return;
        RegAddKey(keyB.Path() + "\\Second");
        WaitUntil([&] { return second->HandOffsDone() == 1; }, 10000);
        PostMessageA(TestNotificationForm::Current(), WM_CLOSE, 0, 0);
    });
    ASSERT_TRUE(RegAddKey(keyA.Path() + "\\First"));
    const bool done = WaitUntil([&] { return first->HandOffsDone() == 1; }, 20000);
    driver.join();
    ASSERT_TRUE(done);

    EXPECT_EQ(TestNotificationForm::ShownNames(), std::vector<std::string>{"First"});
    EXPECT_EQ(second->Dropped(), std::vector<std::string>{"Second"});
    EXPECT_TRUE(first->HandOffsOnMainThread());
    EXPECT_TRUE(second->HandOffsOnMainThread());
    EXPECT_FALSE(NotificationBusy());
    EXPECT_EQ(LiveHandleCount(HandleKind::Window), windowsBefore);  // the window was destroyed

    // The dropped name is part of the second monitor's next baseline.
    ASSERT_TRUE(WaitWatching(*second));
    EXPECT_FALSE(WaitUntil([] { return TestNotificationForm::ShownNames().size() > 1; }, 1200));
    EXPECT_TRUE(StopMonitors({first.get(), second.get()}));
}

// The real 20 seconds: the window stays for them although the user closed it
// after one second, and a finding during them is dropped.
TEST_F(HandOff, TimedNotificationStaysTwentySecondsAndDropsAFindingMeanwhile) {
    ScratchKey keyA("HandOffTimedA"), keyB("HandOffTimedB");
    auto timed = [](TestMonitor& m) { m.handOff = HandOffKind::Timed; };
    auto first = StartTestMonitor(kCu, keyA.Path(), timed);
    auto second = StartTestMonitor(kCu, keyB.Path(), timed);
    ASSERT_TRUE(WaitWatching(*first) && WaitWatching(*second));

    HWND window = nullptr;
    bool hidden = false, closedButKept = false;
    std::thread driver([&] {
        if (!WaitUntil([] { return TestNotificationForm::Current() != nullptr; }, 10000)) return;
        window = TestNotificationForm::Current();
        RegAddKey(keyB.Path() + "\\Second");
        WaitUntil([&] { return second->HandOffsDone() == 1; }, 10000);
        Sleep(1000);  // the user reads for a second, then closes the window
        PostMessageA(window, WM_CLOSE, 0, 0);
        hidden = WaitUntil([&] { return !IsWindowVisible(window); }, 3000);
        closedButKept = IsWindow(window) && first->HandOffsDone() == 0;
    });
    ASSERT_TRUE(RegAddKey(keyA.Path() + "\\First"));
    const bool done = WaitUntil([&] { return first->HandOffsDone() == 1; }, 30000);
    driver.join();
    ASSERT_TRUE(done);

    EXPECT_GE(first->LastHandOffMs(), 20000u);
    EXPECT_LE(first->LastHandOffMs(), 20700u);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(closedButKept);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TestNotificationForm::ShownNames(), std::vector<std::string>{"First"});
    EXPECT_EQ(second->Dropped(), std::vector<std::string>{"Second"});
    EXPECT_FALSE(NotificationBusy());
    EXPECT_TRUE(StopMonitors({first.get(), second.get()}));
}
