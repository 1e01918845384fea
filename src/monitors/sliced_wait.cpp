#include "monitors/sliced_wait.h"

namespace vigilo {

WaitEnd WaitInSlices(HANDLE notification, DWORD sliceMs, const TThread& thread, const std::function<bool()>& gone,
                     std::atomic<bool>& watching) {
    watching = true;
    struct NotWatching {
        std::atomic<bool>& flag;
        ~NotWatching() { flag = false; }
    } notWatching{watching};
    for (;;) {
        if (WaitForSingleObject(notification, sliceMs) != WAIT_TIMEOUT) return WaitEnd::Changed;
        if (thread.Terminated()) return WaitEnd::Terminated;
        if (gone()) return WaitEnd::Gone;
    }
}

}  // namespace vigilo
