#include "monitors/startup_mon_thread.h"

#include "app/settings_store.h"
#include "monitors/companion_running.h"
#include "monitors/exclusion_list.h"

namespace vigilo {

void TStartupMonThread::Round() {
    StringList fresh;
    ListKey(fresh);
    ProgramName = ApplyExclusionList(FindAdded(Snapshot, fresh));
    if (ProgramName.empty() || IsCompanionRunning()) return;
    if (!ReadBool(kSettingsRoot, kSettingsKey, "StartupNotifier")) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
