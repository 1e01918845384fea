#include "tray/simple_timer_handler.h"

#include <algorithm>


namespace vigilo {

SimpleTimerHandler::SimpleTimerHandler() {
    RegisterClassOnce(kClassName);
    CreateHandle(kClassName, "", WS_POPUP, 0, 0, 0, 0, 0);
}

SimpleTimerHandler::~SimpleTimerHandler() = default;

void SimpleTimerHandler::Register(SimpleTimerClient* timer) { timers_.push_back(timer); }

void SimpleTimerHandler::Unregister(SimpleTimerClient* timer) { std::erase(timers_, timer); }

LRESULT SimpleTimerHandler::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_TIMER) return Window::OnMessage(msg, wp, lp);
    // The id is looked up rather than trusted: a WM_TIMER of a timer that was
    // just destroyed may still be in the queue.
    auto found = std::find_if(timers_.begin(), timers_.end(),
                              [wp](const SimpleTimerClient* timer) { return timer->TimerId() == wp; });
    if (found != timers_.end()) (*found)->Fire();
    return 0;
}

}  // namespace vigilo
