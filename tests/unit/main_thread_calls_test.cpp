// Synchronize: a thread's method runs on the main thread, the caller waits
// for it, and every message loop of the main thread serves the call.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/message_loop.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

class MainThreadCalls : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThreadCalls();
        ResetApplicationState();
    }
};

// A hidden window that owns the popup menu and notes when its menu loop runs.
class MenuOwner : public Window {
public:
    MenuOwner() {
        RegisterClassOnce("VigiloTestMenuOwner");
        CreateHandle("VigiloTestMenuOwner", "", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 10, 10);
    }
    std::atomic<bool> inMenuLoop{false};
    bool endedBySafetyTimer = false;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_ENTERMENULOOP) inMenuLoop = true;
        if (msg == WM_EXITMENULOOP) inMenuLoop = false;
        if (msg == WM_TIMER) {  // never hang the suite when the call is not served
            endedBySafetyTimer = true;
            KillTimer(Handle(), wp);
            EndMenu();
        }
        return Window::OnMessage(msg, wp, lp);
    }
};

// A thread object whose Synchronize the main thread calls itself.
class MainThreadCaller : public MonitorThread {
public:
    using MonitorThread::Synchronize;

protected:
    void Execute() override {}
};

}  // namespace

TEST_F(MainThreadCalls, MethodRunsOnTheMainThreadWhileTheCallerWaits) {
    std::atomic<bool> ranOnMain{false};
    CallingThread thread([] { return true; }, [&] {
        ranOnMain = OnMainThread();
        Sleep(200);  // the caller must still be blocked when this returns
    });
    ASSERT_TRUE(WaitUntil([&] { return thread.Finished(); }, 5000));
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(thread.Called());
}

TEST_F(MainThreadCalls, AnErrorOfTheMethodIsRaisedInTheCallingThreadAndEndsIt) {
    CallingThread thread([] { return true; }, [] { throw std::runtime_error("hand-off failed"); });
    ASSERT_TRUE(WaitUntil([&] { return thread.Finished(); }, 5000));
    EXPECT_FALSE(thread.Called());  // Execute did not go on after Synchronize
}

TEST_F(MainThreadCalls, CalledOnTheMainThreadItRunsAtOnceAndRaisesItsError) {
    MainThreadCaller caller;
    bool ran = false;
    caller.Synchronize([&] { ran = OnMainThread(); });
    EXPECT_TRUE(ran);
    EXPECT_THROW(caller.Synchronize([] { throw std::runtime_error("hand-off failed"); }), std::runtime_error);
}

TEST_F(MainThreadCalls, ServedInsideThePopupMenusTrackingLoop) {
    MenuOwner owner;
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuA(menu.get(), MF_STRING, 1, "Launch");
    bool ranInMenu = false;
    CallingThread thread([&] { return owner.inMenuLoop.load(); }, [&] {
        ranInMenu = owner.inMenuLoop && OnMainThread();
        EndMenu();  // the user dismisses the menu
    });
    SetTimer(owner.Handle(), 1, 10000, nullptr);
    SetForegroundWindow(owner.Handle());
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD, 100, 100, 0, owner.Handle(), nullptr);
    KillTimer(owner.Handle(), 1);
    EXPECT_TRUE(ranInMenu);
    EXPECT_FALSE(owner.endedBySafetyTimer);
    ASSERT_TRUE(WaitUntil([&] { return thread.Finished(); }, 5000));
}

// A window's end is posted from inside the window's own message: it must
// run after that message, not within it.
TEST_F(MainThreadCalls, APostedTaskRunsFromTheLoopAfterThePosterReturned) {
    bool posterReturned = false, ranAfter = false;
    PostToMainThread([&] { ranAfter = posterReturned && OnMainThread(); });
    posterReturned = true;
    EXPECT_TRUE(WaitUntil([&] { return ranAfter; }, 5000));
}
