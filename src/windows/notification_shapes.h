#pragma once
// How a finding becomes a notification window on the main thread, under the
// busy flag (core/notification_busy.h): one window at a time.
//
// A window type used here is created, with no owner, by its default
// constructor and destroyed by its destructor. The modal shape needs
// ShowModal() (returns when the window has closed or the application ends);
// the timed shape needs ShowForm(), its on-show handler (places the window
// and shows it without modality).
#include <functional>
#include <utility>

#include "core/notification_busy.h"
#include "platform/wait_seconds.h"

namespace vigilo {

// How long a timed notification stays up.
inline constexpr int kTimedNotificationSeconds = 20;

// Modal shape: create the window, let fill set its data fields, show it
// modally, destroy it. False when the finding was dropped.
template <typename Form, typename Fill>
    requires requires(Form& form, Fill& fill) {
        fill(form);
        form.ShowModal();
    }
bool ShowModalNotification(Fill fill) {
    return RunNotification([&] {
        Form form;
        fill(form);
        form.ShowModal();
    });
}

// Timed shape: create the window, let fill set its data fields, call its
// on-show handler, keep it for `seconds` while the main thread's messages
// are handled, then destroy it whether or not the user closed it meanwhile.
// False when the finding was dropped.
template <typename Form, typename Fill>
    requires requires(Form& form, Fill& fill) {
        fill(form);
        form.ShowForm();
    }
bool ShowTimedNotification(Fill fill, int seconds = kTimedNotificationSeconds) {
    return RunNotification([&] {
        Form form;
        fill(form);
        form.ShowForm();
        WaitSeconds(seconds);
    });
}

}  // namespace vigilo
