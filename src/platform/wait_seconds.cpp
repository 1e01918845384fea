#include "platform/wait_seconds.h"

#include <windows.h>

#include "platform/message_loop.h"
#include "platform/thread.h"

namespace vigilo {
namespace {

constexpr ULONGLONG kStepMs = 500;

// The program is ending: the main thread's wait gives way, so that a timed
// window does not hold up the exit. Only the main thread reads the flag.
bool Ending() { return OnMainThread() && ApplicationTerminated(); }

// Handles the calling thread's messages as they arrive until the tick count
// reaches deadline; between messages the thread blocks.
void HandleMessagesUntil(ULONGLONG deadline) {
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || Ending()) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        ProcessMessages();
    }
}

}  // namespace

void WaitSeconds(int seconds) {
    const ULONGLONG start = GetTickCount64();
    for (ULONGLONG step = 1;; ++step) {
        // The steps fall on fixed half-second points from the start, so
        // handling messages neither stretches nor shortens the wait.
        HandleMessagesUntil(start + step * kStepMs);
        ProcessMessages();
        if (Ending()) return;
        const ULONGLONG wholeSeconds = (GetTickCount64() - start) / 1000;
        if (seconds <= 0 || wholeSeconds >= static_cast<ULONGLONG>(seconds)) return;
    }
}

}  // namespace vigilo
