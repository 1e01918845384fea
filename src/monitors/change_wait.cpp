#include "monitors/change_wait.h"

namespace vigilo {

WaitEnd WaitForChange(HANDLE notification, DWORD sliceMs, const TThread& thread, ParentWatch& parent,
                      std::atomic<bool>& watching) {
    watching = true;
    struct NotWatching {
        std::atomic<bool>& flag;
        ~NotWatching() { flag = false; }
    } notWatching{watching};
    for (;;) {
        const HANDLE handles[] = {notification, thread.TerminateEvent(), parent.Signal()};
        const DWORD count = handles[2] ? 3 : 2;
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, handles[2] ? INFINITE : sliceMs);
        if (result == WAIT_OBJECT_0 + 1 || thread.Terminated()) return WaitEnd::Terminated;
        if (result != WAIT_OBJECT_0 + 2 && result != WAIT_TIMEOUT) return WaitEnd::Changed;
        if (parent.Gone()) return WaitEnd::Gone;
        if (result == WAIT_OBJECT_0 + 2) parent.Rearm();
    }
}

std::string ParentPath(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    const size_t slash = trimmed.find_last_of('\\');
    return slash == std::string::npos ? std::string() : trimmed.substr(0, slash);
}

}  // namespace vigilo
