#pragma once
// The new-program monitor: watches one of the uninstall keys for a new
// subkey and reports it on the main thread, unless it is an update or
// hotfix, a name on Purgeon's exclusion list, or part of a round in which
// another subkey disappeared (an uninstall).
#include <functional>
#include <string>

#include "monitors/registry_monitor.h"

namespace vigilo {

class TAppMonThread : public TRegistryMonitorThread {
public:
    TAppMonThread() : TRegistryMonitorThread(&ListSubkeyNames, 1000) {}

    // Runs on the main thread for each new program (the hand-off), with this
    // monitor's finding; the monitor thread waits for it to return.
    std::function<void(const TAppMonThread&)> OnFound;

    // The finding of the last round, read by the hand-off on the main thread.
    std::string ProgramName;  // empty: nothing to report
    std::string Publisher;
    std::string IconPath;
    bool IsRemoval = false;

protected:
    void Round() override;
};

// Whether an upper-cased display name and release type describe an update
// or hotfix rather than a program.
bool IsUpdateOrHotfix(const std::string& programName, const std::string& releaseType);

}  // namespace vigilo
