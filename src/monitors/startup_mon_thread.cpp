#include "monitors/startup_mon_thread.h"

#include "monitors/startup_entry_rules.h"

namespace vigilo {

void TStartupMonThread::Round() {
    StringList fresh;
    ListKey(fresh);
    ProgramName = ReportedStartupEntry(FindAdded(Snapshot, fresh));
    if (ProgramName.empty()) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
