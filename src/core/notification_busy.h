#pragma once
// Only one notification window exists at a time: the busy flag is set while
// one is up, and a finding that arrives meanwhile is dropped for good, not
// queued. The flag is touched only on the main thread (the hand-offs and the
// junk check), so it needs no lock.
#include <functional>

namespace vigilo {

bool NotificationBusy();
// Start-up clears it.
void SetNotificationBusy(bool busy);

// Runs show with the busy flag set, clearing it afterwards (also when show
// throws). Returns false, without running show, when the flag was already
// set: the finding is dropped.
bool RunNotification(const std::function<void()>& show);

}  // namespace vigilo
