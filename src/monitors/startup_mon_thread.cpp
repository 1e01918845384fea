#include "monitors/startup_mon_thread.h"

#include "monitors/startup_entry_rules.h"

namespace vigilo {

void TStartupMonThread::Round() {
    StringList fresh;
    ListKey(fresh);
    CameDuringHandOff = false;
    ProgramName = ReportedStartupEntry(FindAdded(Snapshot, fresh));
    if (ProgramName.empty()) return;
    const auto handOff = [this] {
        HandOff([this] {
            if (OnFound) OnFound(*this);
        });
    };
    handOff();
    // Values added while a window held the hand-off would go unseen into the
    // next baseline: they are reported here, to be recorded.
    StringList after;
    ListKey(after);
    CameDuringHandOff = true;
    for (const std::string& name : after) {
        if (Terminated()) return;
        if (ContainsName(fresh, name)) continue;
        ProgramName = ReportedStartupEntry(name);
        if (!ProgramName.empty()) handOff();
    }
}

}  // namespace vigilo
