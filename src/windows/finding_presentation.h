#pragma once
// How every finding reaches the user, on the main thread: it is recorded at
// once (core/findings_record.h), then its window is shown, unless its kind's
// notification is switched off (the setting is read now) or another window
// is up (the busy rule: it is dropped). While the program in front fills the
// screen, or Windows says notifications are unwelcome, it waits instead
// (core/notification_gate.h) and the call returns at once; when that ends,
// the first that came is shown, if its kind is still switched on and
// Purgeon does not run then. Only while something waits is the foreground
// watched (platform/foreground_watch.h).
#include <functional>

#include "core/finding.h"

namespace vigilo {

// show: shows the finding's window under the busy flag and answers whether
// it did; run now, later or never. recordUnlessShown false: the finding is
// recorded only when its window shows now (a repeated junk tick).
Presentation PresentFinding(const Finding& finding, std::function<bool()> show, bool recordUnlessShown = true);

// Whether a finding of kind is to be shown by its notifier setting
// (new programs: NewAppNotifier or UninstallNotifier; startup entries:
// StartupNotifier; extensions: NewToolbarNotifier; junk: CacheNotifier).
// Throws SettingsError as ReadBool does.
bool KindSwitchedOn(FindingKind kind);

}  // namespace vigilo
