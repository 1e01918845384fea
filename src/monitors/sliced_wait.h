#pragma once
// How a monitor waits for its change notification: in slices, so that
// between them it can see that it was told to terminate, or that what it
// watches is gone (a deletion that gives no signal).
#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/thread.h"

namespace vigilo {

enum class WaitEnd {
    Changed,     // the notification was signalled (or the wait failed: a round finds what changed)
    Terminated,  // the thread was told to terminate
    Gone,        // what is watched no longer exists
};

// Waits for notification in slices of sliceMs; after each slice that times
// out, ends when thread was told to terminate, then when gone() holds.
// watching is set for the duration of the wait.
WaitEnd WaitInSlices(HANDLE notification, DWORD sliceMs, const TThread& thread, const std::function<bool()>& gone,
                     std::atomic<bool>& watching);

}  // namespace vigilo
