#include "tray/simple_timer.h"

namespace vigilo {
namespace {
UINT_PTR g_nextTimerId = 1;
}  // namespace

SimpleTimer::SimpleTimer(Callback callback) : timerId_(g_nextTimerId++), callback_(std::move(callback)) {
    handler_->Register(this);
}

SimpleTimer::~SimpleTimer() {
    if (active_) Stop();
    handler_->Unregister(this);
}

bool SimpleTimer::Start(UINT intervalMs) {
    if (active_) Stop();
    interval_ = intervalMs;
    active_ = SetTimer(handler_->Handle(), timerId_, intervalMs, nullptr) != 0;
    return active_;
}

bool SimpleTimer::Stop() {
    active_ = false;
    return KillTimer(handler_->Handle(), timerId_) != FALSE;
}

void SimpleTimer::Fire() {
    if (!callback_) return;
    // A copy, since the callback may destroy this timer (and its owner).
    const Callback callback = callback_;
    try {
        callback();
    } catch (...) {
        // A failing callback must not take the message loop down with it.
    }
}

}  // namespace vigilo
