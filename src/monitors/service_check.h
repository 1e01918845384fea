#pragma once
// The check of what changes in the services that were there, run by the main
// form's ten-minute timer on the main thread beside the task check, while
// the startup watches run. The services watch (watch_kinds.cpp) reports a
// new service that starts with Windows as its key comes; this check reports
// a service whose Start turned to boot, system or automatic (0-2), and one
// that starts with Windows whose ImagePath now starts another program
// (marked changed). A watch of the whole Services tree would wake at every
// write Windows makes there, so each tick lists the services and compares
// them with the previous tick's list, or at the first tick of a run with
// the list kept from the last run. Services whose program lies in the
// Windows folder are Windows' own (its updates switch them) and are left
// out, as are services new to the list (the watch's).
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/kept_listing.h"
#include "core/listing.h"

namespace vigilo {

struct ServiceState {
    std::string name;  // the service's key
    bool startsWithWindows = false;
    std::string program;  // what its ImagePath starts, as written; read only where it starts with Windows
};

// The services of HKLM\SYSTEM\CurrentControlSet\Services; none when the key cannot be read.
std::optional<std::vector<ServiceState>> ListServices();

// Whether a service's program lies in the Windows folder windowsFolder: by
// its path ("C:\Windows\...", "\??\C:\Windows\..."), as "\SystemRoot\...",
// or relative, as a driver's "System32\drivers\x.sys" is to the Windows
// folder; no program at all is a driver in its default place there.
bool InWindowsFolder(const std::string& program, const std::string& windowsFolder);

// The name the services' list is kept under.
std::string ServiceCheckPlaceName();

class ServiceCheck {
public:
    using Lister = std::function<std::optional<std::vector<ServiceState>>()>;
    // Reports the findings of one tick, in the list's order.
    using Report = std::function<void(const std::vector<Finding>& findings)>;

    // kept: where the list is kept between runs of Vigilo (null: nowhere).
    explicit ServiceCheck(Report report, Lister lister = ListServices, KeptListingStore* kept = nullptr,
                          std::string windowsFolder = {});

    // As ScheduledTaskCheck: true at a run's first start with a store, to catch up now.
    bool Start();
    void Stop();
    // One tick: reports what changed since the last list, and keeps this one.
    void Run();

private:
    void Keep(const Listing& listing);
    // A finding for service, which was there before with the hash before.
    std::optional<Finding> FindingFor(const ServiceState& service, std::uint64_t before) const;

    Report report_;
    Lister lister_;
    KeptListingStore* kept_;
    std::string windowsFolder_;
    std::optional<Listing> lastKept_;
    bool loaded_ = false;
    bool started_ = false;
    std::optional<Listing> previous_;
    bool running_ = false;
};

}  // namespace vigilo
