#pragma once
// The notification window that is up, owned on the main thread from its show
// to its end; one at a time (the busy flag, core/notification_busy.h). No
// show waits: a timed window ends on its own timer 20 seconds after it
// showed, whether the user closed (hid) it meanwhile or not; the new-program
// window ends when the user closes it. Each show hands back an event set at
// the window's end, on which the monitor that found it waits; the main
// thread never does. A window ended by the program's end runs no close
// handler, so it writes nothing.
#include <functional>
#include <memory>

#include "core/notification_busy.h"
#include "platform/shared_event.h"
#include "platform/timing_trace.h"
#include "windows/notification_window.h"

namespace vigilo {

// How long a timed notification stays up.
inline constexpr int kTimedNotificationSeconds = 20;

enum class NotificationLife {
    Timed,        // ends `seconds` after it showed (or after the user last acted in it)
    UntilClosed,  // ends when the user closes it
};

// Shows form (created hidden, its data set) without activation and keeps it
// until its end; the event returned is set then. Empty, and form dropped,
// when another notification is up.
SharedEvent ShowNotification(std::unique_ptr<NotificationWindow> form, NotificationLife life,
                             int seconds = kTimedNotificationSeconds);

// Creates Form, lets fill set its data fields and shows it, as above.
template <typename Form, typename Fill>
SharedEvent ShowNotification(Fill fill, NotificationLife life, int seconds = kTimedNotificationSeconds) {
    if (NotificationBusy()) return {};
    TraceTiming("creating", "");
    auto form = std::make_unique<Form>();
    fill(*form);
    return ShowNotification(std::move(form), life, seconds);
}

// Starts the timed window's time again from now (the user acted in it).
void RestartNotificationTime();
// The window up now; null when none.
NotificationWindow* CurrentNotification();
// Ends the window up now without its close handler (the program ends).
void EndNotification();

}  // namespace vigilo
