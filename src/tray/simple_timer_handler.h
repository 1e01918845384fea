#pragma once
// The hidden window that receives the WM_TIMER messages of every light
// timer (SimpleTimer) and runs the timer's callback. One is shared by all
// timers through SharedLease.
#include <windows.h>

#include <vector>

#include "platform/window.h"

namespace vigilo {

// What the handler asks of each timer registered with it.
class SimpleTimerClient {
public:
    // The id of the window timer on the handler's window.
    virtual UINT_PTR TimerId() const = 0;
    // The timer elapsed.
    virtual void Fire() = 0;

protected:
    ~SimpleTimerClient() = default;
};

class SimpleTimerHandler : public Window {
public:
    static constexpr const char* kClassName = "VigiloSimpleTimerHandler";

    SimpleTimerHandler();  // creates the hidden window
    ~SimpleTimerHandler() override;

    void Register(SimpleTimerClient* timer);
    void Unregister(SimpleTimerClient* timer);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::vector<SimpleTimerClient*> timers_;
};

}  // namespace vigilo
