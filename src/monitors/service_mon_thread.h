#pragma once
// The service monitor: watches the machine's list of services and drivers
// for a new one that starts with Windows (at boot, with the system, or
// automatically, delayed or not) and reports it as a startup entry, under the
// startup entries' rules (startup_entry_rules.h). Only the names of the
// list's subkeys are watched: services rewrite values below their own keys
// all the time. A service set to start on demand, or disabled, is not
// reported, nor one switched to automatic start later.
#include <functional>
#include <optional>
#include <string>

#include "monitors/registry_monitor.h"

namespace vigilo {

// Whether a service's Start value makes it start with Windows: boot (0),
// system (1) or automatic (2); a missing Start, or one of another type, does not.
bool StartsWithWindows(std::optional<DWORD> start);

class TServiceMonThread : public TRegistryMonitorThread {
public:
    TServiceMonThread();

    // The finding of the last round: the service's display name as written
    // (an indirect "@file,-id" name loaded), else its key name; empty:
    // nothing to report.
    std::string ProgramName;
    // Runs on the main thread for each finding, while this thread waits for it.
    std::function<void(const TServiceMonThread&)> OnFound;

protected:
    void Round() override;

private:
    // The name a new service subkey is reported by, or empty when it does not start with Windows.
    std::string StartupServiceName(const std::string& subkey) const;
};

}  // namespace vigilo
