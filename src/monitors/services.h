#pragma once
// The rule of the services' place, HKLM\SYSTEM\CurrentControlSet\Services
// (its listing: KeyListing::ServiceStates, place.h). Its watch wakes for
// subkeys that come and go, and at every ten-minute tick, for the values a
// service changes in place (a watch of the whole tree would wake at every
// write Windows makes there).
//
// A finding is a new service that starts with Windows; a service switched
// to start with Windows; or one that starts with Windows whose program
// changed (marked changed). Services whose program lies in the Windows
// folder are Windows' own, which its updates switch: no switch or change of
// theirs is reported.
#include <string>
#include <vector>

#include "core/finding.h"
#include "monitors/watch.h"

namespace vigilo {

// Whether a service's program lies in the Windows folder windowsFolder: by
// its path ("C:\Windows\...", "\??\C:\Windows\..."), as "\SystemRoot\...",
// or relative, as a driver's "System32\drivers\x.sys" is to the Windows
// folder; no program at all is a driver in its default place there.
bool InWindowsFolder(const std::string& program, const std::string& windowsFolder);

// The rule of the services' place.
std::vector<Finding> NewOrSwitchedServices(const RoundSight& sight);

}  // namespace vigilo
