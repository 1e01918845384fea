#pragma once
// The hidden window that receives the WM_TIMER messages of every light
// timer (TSimpleTimer) and runs the timer's callback. One is shared by all
// timers through SharedLease.
#include <windows.h>

#include <vector>

#include "ui/window.h"

namespace vigilo {

class TSimpleTimer;

class TSimpleTimerHandler : public Window {
public:
    static constexpr const char* kClassName = "VigiloSimpleTimerHandler";

    TSimpleTimerHandler();  // creates the hidden window
    ~TSimpleTimerHandler() override;

    void Register(TSimpleTimer* timer);
    void Unregister(TSimpleTimer* timer);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::vector<TSimpleTimer*> timers_;
};

}  // namespace vigilo
