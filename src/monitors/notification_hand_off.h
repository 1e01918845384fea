#pragma once
// How a finding becomes a notification window on the main thread. Only one
// notification window exists at a time: the busy flag is set while one is
// up, and a finding that arrives meanwhile is dropped for good, not queued.
// The flag is touched only on the main thread (the hand-offs and the junk
// check), so it needs no lock.
//
// A window type used here is created, with no owner, by its default
// constructor and destroyed by its destructor. The modal shape needs
// ShowModal() (returns when the window has closed or the application ends);
// the timed shape needs ShowForm(), its on-show handler (places the window
// and shows it without modality).
#include <functional>
#include <utility>

#include "monitors/wait_seconds.h"

namespace vigilo {

// How long a timed notification stays up.
inline constexpr int kTimedNotificationSeconds = 20;

bool NotificationBusy();
// Start-up clears it; the junk check sets and clears it around its window.
void SetNotificationBusy(bool busy);

// Runs show with the busy flag set, clearing it afterwards (also when show
// throws). Returns false, without running show, when the flag was already
// set: the finding is dropped.
bool RunNotification(const std::function<void()>& show);

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
