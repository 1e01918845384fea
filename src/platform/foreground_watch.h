#pragma once
// Tells the calling thread when the window in front may have changed: at
// each change of the foreground window the system reports (an out-of-context
// event hook, delivered through the thread's message loop), and every
// interval as well, since some systems report none of another process's
// changes (Wine 8). It lives only while something waits for such a change:
// while none exists, nothing wakes the thread.
#include <windows.h>

#include <functional>

#include "platform/unique_handle.h"

namespace vigilo {

class ForegroundWatch {
public:
    // changed runs on the creating thread, which must handle its messages.
    ForegroundWatch(std::function<void()> changed, UINT intervalMs);
    ~ForegroundWatch();
    ForegroundWatch(const ForegroundWatch&) = delete;
    ForegroundWatch& operator=(const ForegroundWatch&) = delete;

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD time);
    static void CALLBACK OnTimer(HWND window, UINT message, UINT_PTR id, DWORD time);
    static void Notify(bool (*match)(const ForegroundWatch&, UINT_PTR), UINT_PTR key);

    std::function<void()> changed_;
    UniqueWinEventHook hook_;
    UINT_PTR timer_ = 0;
};

}  // namespace vigilo
