#pragma once
// How a monitor waits for its change notification without ever waking in
// between: it blocks on the notification, on its thread's terminate event,
// and on a watch of the watched key's or folder's parent for names that come
// and go. That last one is there because what is watched can leave without
// its own notification saying so: Wine never signals the deletion of a
// watched key or folder, and a folder moved away (to the Recycle Bin, for
// one) takes its watch along. When the parent signals, the monitor checks
// whether what it watches is still there. Only when the parent cannot be
// watched does the wait fall back to looking after every slice.
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/monitor_thread.h"

namespace vigilo {

enum class WaitEnd {
    Changed,     // the notification was signalled (or the wait failed: a round finds what changed)
    Terminated,  // the thread was told to terminate
    Gone,        // what is watched no longer exists
};

// The watch on the parent of what a monitor watches.
class ParentWatch {
public:
    virtual ~ParentWatch() = default;
    // Signalled when a name under the parent came or went; null when the
    // parent could not be watched.
    virtual HANDLE Signal() const = 0;
    // Arms the watch again after its signal.
    virtual void Rearm() = 0;
    // Whether what the monitor watches no longer exists.
    virtual bool Gone() const = 0;
};

// Waits for notification; ends when thread was told to terminate, or when
// parent says that what is watched is gone. sliceMs is the look-again
// interval for a parent that could not be watched. watching is set for the
// duration of the wait.
WaitEnd WaitForChange(HANDLE notification, DWORD sliceMs, const MonitorThread& thread, ParentWatch& parent,
                      std::atomic<bool>& watching);

// The text of path up to (not including) its last "\" once a trailing "\"
// is dropped; empty when it has no parent.
std::string ParentPath(const std::string& path);

// The folder that holds folder (with or without a final "\"): a folder at a
// root has the root as its parent ("D:\" or "\\server\share\", never "D:",
// which names drive D's current folder); empty for a root itself.
std::string ParentFolderPath(const std::string& folder);

}  // namespace vigilo
