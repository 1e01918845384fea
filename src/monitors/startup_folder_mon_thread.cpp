#include "monitors/startup_folder_mon_thread.h"

#include "monitors/startup_entry_rules.h"

namespace vigilo {
namespace {

constexpr DWORD kWaitSliceMs = 10000;

}  // namespace

TStartupFolderMonThread::TStartupFolderMonThread() : TFolderMonitorThread(kWaitSliceMs) {}

void TStartupFolderMonThread::Round() {
    ProgramName = ReportedStartupEntry(StartupFolderEntryName(WatchFolder, SettleAndFindAdded()));
    if (ProgramName.empty()) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
