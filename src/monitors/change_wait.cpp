#include "monitors/change_wait.h"

#include "platform/scoped_flag.h"
#include "platform/stack_trim.h"

namespace vigilo {

WaitEnd WaitForChange(HANDLE notification, DWORD sliceMs, const MonitorThread& thread, ParentWatch& parent,
                      std::atomic<bool>& watching) {
    const ScopedFlag scope(watching);
    // What the round before used of the stack is not needed while waiting, which may last for days.
    ReleaseUnusedStack();
    for (;;) {
        const HANDLE handles[] = {notification, thread.TerminateEvent(), parent.Signal()};
        const DWORD count = handles[2] ? 3 : 2;
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, handles[2] ? INFINITE : sliceMs);
        if (result == WAIT_OBJECT_0 + 1 || thread.Terminated()) return WaitEnd::Terminated;
        if (result != WAIT_OBJECT_0 + 2 && result != WAIT_TIMEOUT) return WaitEnd::Changed;
        // Armed again before looking: a change after the look signals anew.
        if (result == WAIT_OBJECT_0 + 2) parent.Rearm();
        if (parent.Gone()) return WaitEnd::Gone;
    }
}

std::string ParentPath(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    const size_t slash = trimmed.find_last_of('\\');
    return slash == std::string::npos ? std::string() : trimmed.substr(0, slash);
}

std::string ParentFolderPath(const std::string& folder) {
    std::string trimmed = folder;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    // The length of the root, final backslash included: "D:\" or "\\server\share\".
    size_t rootLength = 0;
    if (trimmed.size() >= 2 && trimmed[1] == ':') {
        rootLength = 3;
    } else if (trimmed.rfind("\\\\", 0) == 0) {
        const size_t share = trimmed.find('\\', 2);
        if (share == std::string::npos) return {};
        const size_t end = trimmed.find('\\', share + 1);
        rootLength = (end == std::string::npos ? trimmed.size() : end) + 1;
    }
    if (trimmed.size() + 1 <= rootLength) return {};  // the root itself
    const std::string parent = ParentPath(trimmed);
    if (parent.size() + 1 <= rootLength) return trimmed.substr(0, rootLength - 1) + "\\";
    return parent;
}

}  // namespace vigilo
