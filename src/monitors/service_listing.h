#pragma once
// How the services' place lists HKLM\SYSTEM\CurrentControlSet\Services:
// each subkey a service, with whether it starts with Windows (Start 0, 1 or
// 2: boot, system, automatic) and, where it does, the hash of the program
// its ImagePath starts (and that command). The rule is service_state.h's.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "core/listing.h"

namespace vigilo {

// The hash listed for a service that does not start with Windows; no
// program hashes to it, as ProgramHash hashes upper-cased texts.
extern const std::uint64_t kNotStartingWithWindows;

// The listing of an open Services key.
Listing ServiceStates(HKEY services);

// Whether a service's Start value makes it start with Windows: boot (0),
// system (1) or automatic (2); a missing Start, or one of another type, does not.
bool StartsWithWindows(std::optional<DWORD> start);

}  // namespace vigilo
