#include "monitors/profile_discovery_thread.h"

namespace vigilo {
namespace {

constexpr DWORD kWaitSliceMs = 10000;
// A browser makes a profile folder, or writes profiles.ini, in a moment.
constexpr int kSettleSeconds = 1;

}  // namespace

TProfileDiscoveryThread::TProfileDiscoveryThread(DWORD filter) : TFolderMonitorThread(kWaitSliceMs, filter) {
    // It reports no findings: nothing to catch up with at the start.
    Kept = nullptr;
}

void TProfileDiscoveryThread::Round() {
    if (WaitTerminated(kSettleSeconds)) return;
    HandOff([this] {
        if (OnChanged) OnChanged();
    });
}

void TProfileDiscoveryThread::Left() {
    HandOff([this] {
        if (OnChanged) OnChanged();
    });
}

}  // namespace vigilo
