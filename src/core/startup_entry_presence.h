#pragma once
// Whether the startup entry a StartupApproved value speaks of is still
// there: a Run value of the 64-bit view's Run key of its root ("Run"), of
// HKLM's Run key in the 32-bit view ("Run32"), or a file of the user's
// Startup folder (HKCU) or the common one (HKLM) ("StartupFolder"). Only
// such an entry can be disabled or enabled again.
#include <optional>
#include <string>

#include "core/startup_approved.h"

namespace vigilo {

// The entry as it is there: a Run value's command, or a Startup folder
// file's full path.
struct PresentStartupEntry {
    std::string command;
    std::string file;
};
std::optional<PresentStartupEntry> FindStartupEntry(const StartupApprovedTarget& target);

bool StartupEntryPresent(const StartupApprovedTarget& target);

}  // namespace vigilo
