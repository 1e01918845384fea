#pragma once
// The ten-minute tick, for places no change notification covers: the
// scheduled tasks (Windows gives a standard user none) and the services'
// values (a watch of the whole Services tree would wake at every write
// Windows makes there). The main window's timer delivers it; each watch of
// such a place holds a subscription whose event the tick sets, and lists
// its place on its own thread, never on the main one.
#include <windows.h>

namespace vigilo {

class TickSubscription {
public:
    // event (which the subscriber owns and outlives this) is set at every tick from now on.
    explicit TickSubscription(HANDLE event);
    ~TickSubscription();
    TickSubscription(const TickSubscription&) = delete;
    TickSubscription& operator=(const TickSubscription&) = delete;

private:
    HANDLE event_;
};

// Sets the event of every subscription.
void DeliverTenMinuteTick();

}  // namespace vigilo
