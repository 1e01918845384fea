#pragma once
// The cycle every watch runs, of a registry key or of a folder, until its
// thread is told to terminate: while the place is missing, wait for it; a
// place that has come (back) gets a round that compares it with the watch's
// last listing; otherwise take a fresh baseline, watch it and run a round on
// its change. A place that left during the watch is waited for again and
// compared when it returns. Between cycles the thread pauses one second.
//
// The watch keeps what it compares with across runs (kept_place.h): at its
// start, what was kept counts as its last listing, so that what came while
// Vigilo was not running is reported by its first round, whose baseline
// follows without the pause.
#include <functional>

#include "monitors/kept_place.h"
#include "monitors/string_list.h"
#include "platform/thread.h"

namespace vigilo {

// How one watch of a place ended.
enum class WatchEnd { Again, Left, End };

// The steps of one kind of watch.
struct WatchSteps {
    std::function<bool()> exists;
    std::function<bool()> waitUntilExists;  // false when told to terminate first
    std::function<void()> round;
    std::function<void()> takeBaseline;
    std::function<WatchEnd()> watchAndRound;
    std::function<void()> left;  // the place left during the watch
};

// arrived: the place counts as come at the start (compared, not taken as the
// baseline). snapshot: the watch's last listing, which takeBaseline replaces.
void RunWatchCycle(const TThread& thread, bool arrived, StringList& snapshot, KeptPlace& kept,
                   const WatchSteps& steps);

}  // namespace vigilo
