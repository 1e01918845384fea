#pragma once
// A light timer: a window timer on the shared SimpleTimerHandler window that
// calls a callback on the main thread every Interval ms until stopped. The
// tray icon uses three of them (click timing, mouse-exit poll, cycling).
#include <windows.h>

#include <functional>

#include "tray/shared_lease.h"
#include "tray/simple_timer_handler.h"

namespace vigilo {

class SimpleTimer : public SimpleTimerClient {
public:
    using Callback = std::function<void()>;

    explicit SimpleTimer(Callback callback);  // inactive until Start
    ~SimpleTimer();                            // stops the timer if active
    SimpleTimer(const SimpleTimer&) = delete;
    SimpleTimer& operator=(const SimpleTimer&) = delete;

    // Restarts the timer with the given period; answers whether it runs.
    bool Start(UINT intervalMs);
    // Stops the timer; answers whether a running system timer was killed.
    bool Stop();

    bool Active() const { return active_; }
    UINT Interval() const { return interval_; }
    UINT_PTR TimerId() const override { return timerId_; }

    // Runs the callback; errors inside it are swallowed (the timer goes on).
    void Fire() override;

private:
    SharedLease<SimpleTimerHandler> handler_;
    UINT_PTR timerId_;
    bool active_ = false;
    UINT interval_ = 0;
    Callback callback_;
};

}  // namespace vigilo
