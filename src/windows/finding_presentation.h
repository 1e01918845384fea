#pragma once
// How every finding reaches the user, on the main thread: one that matches an
// ignore rule of its kind (core/ignore_rules.h) is let go; any other is
// recorded at once (core/findings_record.h), before any setting is read; then its window
// is shown, unless a policy keeps every window off (ShowWindows 0) or its
// kind's notification is switched off (the setting, or its policy, is
// read now; one that cannot be read counts as off and is reported once in
// the error box) or another window is up (the busy rule: it is dropped).
// While the program in front fills the screen, or Windows says
// notifications are unwelcome, it waits instead (core/notification_gate.h);
// when that ends, the first that came is shown, if its kind is still
// switched on and Purgeon does not run then. Only while something waits is
// the foreground watched (platform/foreground_watch.h).
#include <functional>
#include <vector>

#include "core/finding.h"
#include "platform/shared_event.h"

namespace vigilo {

// Shows a finding's window under the busy rule; the event set at its end,
// or none when it was not shown.
using WindowShow = std::function<SharedEvent(const Finding& finding)>;

struct Presented {
    Presentation outcome;
    SharedEvent windowEnd;  // set when the window shown now ends
};

// show: run now, later or never, once the finding's reporters
// (core/finding_reporters.h) have been told. recordUnlessShown false: the
// finding is recorded and reported only when its window shows now (a
// repeated junk tick). A finding the ignore rules name is let go.
Presented PresentFinding(const Finding& finding, WindowShow show, bool recordUnlessShown = true);

// The findings of one round of a watch, in listing order (the ignored ones
// already left out): every one is recorded, and the last is presented as
// above, in its window (finding_window.h) told how many more there were; the
// others would meet the busy rule. With recordOnly (they came while the
// round's own window held its watch), none is shown. Returns the end of the
// window shown now.
SharedEvent PresentRound(std::vector<Finding> findings, bool recordOnly);

// Whether a finding of kind is to be shown by its notifier settings
// (core/finding.h: FactsOf), each as a policy forces it, else the user's.
// Throws SettingsError as ReadBool does.
bool KindSwitchedOn(FindingKind kind);

}  // namespace vigilo
