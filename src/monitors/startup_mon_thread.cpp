#include "monitors/startup_mon_thread.h"

#include <unordered_set>

#include "core/findings_record.h"
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
    // next baseline: they are reported here, to be recorded. The record keeps
    // fifty, so of a flood only the last fifty are looked at.
    StringList after;
    ListKey(after);
    const std::unordered_set<std::string> listed(fresh.begin(), fresh.end());
    StringList came;
    for (auto name = after.rbegin(); name != after.rend() && came.size() < kMostRecordedFindings; ++name)
        if (!listed.contains(*name) && !ContainsName(fresh, *name)) came.push_back(*name);
    CameDuringHandOff = true;
    for (auto name = came.rbegin(); name != came.rend(); ++name) {
        if (Terminated()) return;
        ProgramName = ReportedStartupEntry(*name);
        if (!ProgramName.empty()) handOff();
    }
}

}  // namespace vigilo
