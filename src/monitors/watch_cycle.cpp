#include "monitors/watch_cycle.h"

namespace vigilo {

void RunWatchCycle(const TThread& thread, bool arrived, const WatchSteps& steps) {
    for (;;) {
        if (thread.Terminated()) return;
        if (!steps.exists()) {
            if (!steps.waitUntilExists()) return;
            arrived = true;
        }
        if (arrived) {
            arrived = false;
            steps.round();
        } else {
            steps.takeBaseline();
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
