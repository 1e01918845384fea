#include "windows/notification_host.h"

namespace vigilo {
namespace {

constexpr UINT kLaunchingRecheckMs = 250;

class NotificationHost {
public:
    SharedEvent Show(std::unique_ptr<NotificationWindow> form, NotificationLife life, int seconds) {
        if (current_ || NotificationBusy() || !form || !form->Handle()) return {};
        current_ = std::move(form);
        ended_ = SharedEvent::Create();
        seconds_ = seconds;
        SetNotificationBusy(true);
        if (life == NotificationLife::UntilClosed)
            current_->OnClosed = [this] { Retire(); };
        else
            Restart();
        current_->ShowWithoutActivating();
        TraceTiming("shown", "");
        return ended_;
    }

    void Restart() {
        if (current_ && seconds_ >= 0) EndIn(static_cast<UINT>(seconds_) * 1000);
    }
    // Ends it from the loop, ms from now (a thread's timer: no window needed).
    void EndIn(UINT ms) { timer_ = SetTimer(nullptr, timer_, ms, &TimeUp); }

    void End() {
        if (timer_) KillTimer(nullptr, timer_);
        timer_ = 0;
        seconds_ = -1;
        current_.reset();  // destroyed without closing: its close handler does not run (again)
        SetNotificationBusy(false);
        ended_.Set();
        ended_ = {};
    }

    // Closed by the user, from inside its own message: it ends now (the next
    // finding may show at once), and is destroyed once that message is done.
    void Retire() {
        retired_ = std::move(current_);
        destroyTimer_ = SetTimer(nullptr, destroyTimer_, USER_TIMER_MINIMUM, &DestroyRetired);
        End();
    }

    NotificationWindow* Current() const { return current_.get(); }

private:
    static void CALLBACK TimeUp(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK DestroyRetired(HWND, UINT, UINT_PTR, DWORD);

    std::unique_ptr<NotificationWindow> current_;
    std::unique_ptr<NotificationWindow> retired_;  // closed, to be destroyed from the loop
    SharedEvent ended_;
    UINT_PTR timer_ = 0;
    UINT_PTR destroyTimer_ = 0;
    int seconds_ = -1;  // the timed window's time; -1: none
};

NotificationHost& Host() {
    static NotificationHost host;
    return host;
}

void CALLBACK NotificationHost::TimeUp(HWND, UINT, UINT_PTR, DWORD) {
    NotificationHost& host = Host();
    if (!host.Current()) return;  // a tick already on its way when it ended
    // The link's information window or the window's menu is up from inside
    // the window's own message: it ends once that is over.
    if (host.Current() && host.Current()->HeldByUser())
        host.EndIn(kLaunchingRecheckMs);
    else
        host.End();
}

void CALLBACK NotificationHost::DestroyRetired(HWND, UINT, UINT_PTR, DWORD) {
    NotificationHost& host = Host();
    KillTimer(nullptr, host.destroyTimer_);
    host.destroyTimer_ = 0;
    host.retired_.reset();
}

}  // namespace

SharedEvent ShowNotification(std::unique_ptr<NotificationWindow> form, NotificationLife life, int seconds) {
    return Host().Show(std::move(form), life, seconds);
}

void RestartNotificationTime() { Host().Restart(); }

NotificationWindow* CurrentNotification() { return Host().Current(); }

void EndNotification() {
    if (Host().Current()) Host().End();
}

}  // namespace vigilo
