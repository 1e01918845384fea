#pragma once
// The startup-entry monitor: watches one Run or RunOnce key for a new value
// and reports its name, unless it is on Purgeon's exclusion list or Purgeon
// itself is running (it is the one changing startup entries). Values whose
// data changed, and values that were deleted, are not reported. No settle
// delay: a startup entry is one value, complete when it appears.
#include <functional>
#include <string>

#include "monitors/registry_monitor.h"

namespace vigilo {

class TStartupMonThread : public TRegistryMonitorThread {
public:
    TStartupMonThread() : TRegistryMonitorThread(&ListValueNames, 1000) {}

    // The finding of the last round: the new value's name as enumerated; empty: nothing to report.
    std::string ProgramName;
    // The value was added while the hand-off of an earlier one held this
    // thread (its window was up): by the busy rule it is only recorded.
    bool CameDuringHandOff = false;
    // Runs on the main thread for each finding, while this thread waits for it.
    std::function<void(const TStartupMonThread&)> OnFound;

protected:
    void Round() override;
};

}  // namespace vigilo
