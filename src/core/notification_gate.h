#pragma once
// Whether a finding's window may show now, and the findings that wait until
// it may. A window is unwelcome while a full-screen program is in front (a
// game, a video, a presentation: see FullScreenInFront) or Windows says
// notifications are unwelcome (busy, a full-screen Direct3D program,
// presentation mode, quiet hours).
// Meanwhile at most one finding of each kind waits, a newer one replacing
// the older; when the state ends, the one that came first is shown and the
// others are let go (the record keeps them all). One that waited an hour is
// let go unseen. The gate lives on the main thread; what it asks of the
// system comes through seams, so its rule can be tried on any state.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <vector>

#include "core/finding.h"
#include "platform/foreground_full_screen.h"

namespace vigilo {

inline constexpr ULONGLONG kLongestNotificationWaitMs = 60 * 60 * 1000;

// Whether Windows' notification state makes a window unwelcome.
bool StateRefusesNotifications(QUERY_USER_NOTIFICATION_STATE state);
// Whether a full-screen program is in front: the foreground window is one
// (platform/foreground_full_screen.h), Windows says one runs (busy, a
// full-screen Direct3D program), or Windows says an app runs (QUNS_APP) and
// the foreground window covers its monitor.
bool FullScreenBy(QUERY_USER_NOTIFICATION_STATE state, ForegroundShape foreground);

class NotificationGate {
public:
    struct Seams {
        std::function<QUERY_USER_NOTIFICATION_STATE()> notificationState;
        std::function<ForegroundShape()> foreground;
        std::function<ULONGLONG()> clock;  // milliseconds
    };
    // The system's own state, full-screen check and tick count.
    NotificationGate();
    explicit NotificationGate(Seams seams);

    // Whether a window would be unwelcome now.
    bool Unwelcome() const;
    // Whether a full-screen program is in front now (FullScreenBy).
    bool FullScreenInFront() const;
    // Keeps show to run once windows are welcome, in place of any finding of kind that waits.
    void Hold(FindingKind kind, std::function<void()> show);
    // Whether any finding waits.
    bool Holding() const { return !held_.empty(); }
    // Lets go of those that waited an hour; then, unless windows are still
    // unwelcome, takes the one that came first out of the rest (and lets the
    // others go). Empty when none is to be shown now.
    std::function<void()> TakeDue();

private:
    struct Held {
        FindingKind kind;
        ULONGLONG since;
        std::function<void()> show;
    };
    Seams seams_;
    std::vector<Held> held_;  // in the order they came
};

// Whether a full-screen program is in front now, by the system's own state.
bool FullScreenProgramInFront();

}  // namespace vigilo
