#pragma once
// The services' place, HKLM\SYSTEM\CurrentControlSet\Services, and its rule.
// Each subkey is a service, listed with whether it starts with Windows
// (Start 0, 1 or 2: boot, system, automatic) and, where it does, the hash of
// the program its ImagePath starts (and that command). Its watch wakes for
// subkeys that come and go, and at every ten-minute tick, for the values a
// service changes in place (a watch of the whole tree would wake at every
// write Windows makes there).
//
// A finding is a new service that starts with Windows; a service switched
// to start with Windows; or one that starts with Windows whose program
// changed (marked changed). Services whose program lies in the Windows
// folder are Windows' own, which its updates switch: no switch or change of
// theirs is reported.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/listing.h"
#include "monitors/watch.h"

namespace vigilo {

// The hash listed for a service that does not start with Windows; no
// program hashes to it, as ProgramHash hashes upper-cased texts.
extern const std::uint64_t kNotStartingWithWindows;

// The listing of an open Services key.
Listing ServiceStates(HKEY services);

// Whether a service's Start value makes it start with Windows: boot (0),
// system (1) or automatic (2); a missing Start, or one of another type, does not.
bool StartsWithWindows(std::optional<DWORD> start);

// Whether a service's program lies in the Windows folder windowsFolder: by
// its path ("C:\Windows\...", "\??\C:\Windows\..."), as "\SystemRoot\...",
// or relative, as a driver's "System32\drivers\x.sys" is to the Windows
// folder; no program at all is a driver in its default place there.
bool InWindowsFolder(const std::string& program, const std::string& windowsFolder);

// The rule of the services' place.
std::vector<Finding> NewOrSwitchedServices(const RoundSight& sight);

}  // namespace vigilo
