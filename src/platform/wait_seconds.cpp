#include "platform/wait_seconds.h"

#include <windows.h>

#include "platform/message_loop.h"

namespace vigilo {

void WaitSeconds(int seconds) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        Sleep(500);
        ProcessMessages();
        const ULONGLONG wholeSeconds = (GetTickCount64() - start) / 1000;
        if (seconds <= 0 || wholeSeconds >= static_cast<ULONGLONG>(seconds)) return;
    }
}

}  // namespace vigilo
