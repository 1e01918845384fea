#pragma once
// The new-program monitor: watches one of the uninstall keys for a new
// subkey and shows the new-program window for it, unless it is an update or
// hotfix, a name on Purgeon's exclusion list, or part of a round in which
// another subkey disappeared (an uninstall).
#include <string>

#include "monitors/registry_monitor.h"

namespace vigilo {

class TAppMonThread : public TRegistryMonitorThread {
public:
    TAppMonThread() : TRegistryMonitorThread(&ListSubkeyNames, 1000) {}

    // The finding of the last round, read by the hand-off on the main thread.
    std::string ProgramName;  // empty: nothing to report
    std::string Publisher;
    std::string IconPath;
    bool IsRemoval = false;

protected:
    void Round() override;

private:
    void ShowNewProgram();
};

// Whether an upper-cased display name and release type describe an update
// or hotfix rather than a program.
bool IsUpdateOrHotfix(const std::string& programName, const std::string& releaseType);

}  // namespace vigilo
