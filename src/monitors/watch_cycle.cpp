#include "monitors/watch_cycle.h"

namespace vigilo {

void RunWatchCycle(const TThread& thread, bool arrived, StringList& snapshot, KeptPlace& kept,
                   const WatchSteps& steps) {
    arrived = kept.Start(snapshot) || arrived;
    for (;;) {
        if (thread.Terminated()) return;
        if (!steps.exists()) {
            kept.Missing();
            if (!steps.waitUntilExists()) return;
            arrived = true;
        }
        if (arrived) {
            arrived = false;
            const bool catchingUp = kept.CatchingUp();
            steps.round();
            if (!thread.Terminated()) kept.CaughtUp();
            // The baseline follows at once: what a program adds just after
            // Vigilo's start is then reported, not taken into it unseen.
            if (catchingUp) continue;
        } else {
            steps.takeBaseline();
            kept.Listed(snapshot);
            const WatchEnd end = steps.watchAndRound();
            if (end == WatchEnd::End) return;
            if (end == WatchEnd::Left) {
                steps.left();
                arrived = true;
                continue;
            }
        }
        if (thread.WaitTerminated(1)) return;
    }
}

}  // namespace vigilo
