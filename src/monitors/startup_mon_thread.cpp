#include "monitors/startup_mon_thread.h"

#include "core/companion_running.h"
#include "core/exclusion_list.h"
#include "core/setting_names.h"
#include "core/settings_store.h"

namespace vigilo {

void TStartupMonThread::Round() {
    StringList fresh;
    ListKey(fresh);
    ProgramName = ApplyExclusionList(FindAdded(Snapshot, fresh));
    if (ProgramName.empty() || IsCompanionRunning()) return;
    if (!ReadBool(kSettingsRoot, kSettingsKey, settings::kStartupNotifier)) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
