#pragma once
// Whether Windows starts an entry at log-on, kept as Task Manager's and
// Settings' startup apps keep it: beside the entry, which stays untouched, in
// a value of
//
//   <root>\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\<list>
//
// <root> being the entry's own HKCU or HKLM and <list> "Run" for a value of
// the 64-bit view's Run key, "Run32" for one of the 32-bit view's, and
// "StartupFolder" for a file of a Startup folder (named by the file name with
// its extension, "Tool.lnk"). The key is always in the 64-bit view, where
// Explorer reads it, also for this 32-bit program.
//
// The value is a 12-byte REG_BINARY: bytes 0-3 little-endian flags, the low
// bit set while the entry is disabled; bytes 4-11 the time it was disabled,
// a FILETIME (UTC), zero while it is enabled. Disabling sets the low bit and
// keeps the other flags (03 00 00 00 where there were none to keep);
// enabling clears it and zeroes the time. Windows 8 brought the value; older
// systems start every entry. Nothing here ever shows an error.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace vigilo {

inline constexpr const char* kStartupApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

enum class StartupApprovedList { Run, Run32, StartupFolder };

// The StartupApproved value of one startup entry.
struct StartupApprovedTarget {
    HKEY root = HKEY_CURRENT_USER;  // the entry's: HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
    StartupApprovedList list = StartupApprovedList::Run;
    std::string valueName;  // the Run value's name, or the Startup folder file's name with extension
};

// The target of value valueName of root's Run key as view reaches it: "Run32"
// only where the 32-bit view's Run key is a key of its own (HKLM on 64-bit
// Windows), else "Run".
StartupApprovedTarget RunValueTarget(HKEY root, RegistryView view, std::string valueName);
// The key path, below the root, of list.
std::string StartupApprovedKeyPath(StartupApprovedList list);

using StartupApprovedBytes = std::array<BYTE, 12>;
inline constexpr std::uint32_t kStartupDisabledBit = 1;
// The flags "03 00 00 00" Task Manager writes where there were none.
inline constexpr std::uint32_t kStartupApprovedNewFlags = 3;

// Whether a stored value says its entry is disabled: a REG_BINARY whose first
// byte has its low bit set. Any other value (02, 06, 00..., another type,
// none) says enabled.
bool StartupApprovedSaysDisabled(const std::optional<RegistryValue>& stored);
// Whether data is exactly what this program last wrote to target's value,
// so that a watch takes the change for the user's own act in a window.
bool IsOwnStartupApprovedWrite(const StartupApprovedTarget& target, const std::vector<BYTE>& data);

// The flags of a stored value: bytes 0-3 of a REG_BINARY of at least 4
// bytes; empty for a missing value, another type or fewer bytes.
std::optional<std::uint32_t> StartupApprovedFlags(const std::optional<RegistryValue>& stored);
// The value that disables an entry whose value is stored, at now.
StartupApprovedBytes DisabledValue(const std::optional<RegistryValue>& stored, FILETIME now);
// The value that enables it again.
StartupApprovedBytes EnabledValue(const std::optional<RegistryValue>& stored);

// Reads and writes StartupApproved values; what it asks of the system comes
// through seams, so tests can be another Windows, another user or another time.
class StartupApproval {
public:
    struct Seams {
        std::function<FILETIME()> clock;                            // now, UTC
        std::function<bool()> systemHasIt;                          // Windows 8 or later
        std::function<bool(const StartupApprovedTarget&)> canWrite;  // HKLM wants administrator rights
    };
    // The system's clock, version and access rights.
    StartupApproval();
    explicit StartupApproval(Seams seams);

    // Whether target's entry can be disabled here: the system has the value
    // and this user may write it.
    bool Offered(const StartupApprovedTarget& target) const;
    // Whether target's entry is disabled now.
    bool Disabled(const StartupApprovedTarget& target) const;
    // Write the value; false when it could not be written.
    [[nodiscard]] bool Disable(const StartupApprovedTarget& target) const;
    [[nodiscard]] bool Enable(const StartupApprovedTarget& target) const;

private:
    Seams seams_;
};

// Whether this user may write target's value: its key opens for setting
// values, or, where it is missing, its nearest existing parent for making keys.
bool CanWriteStartupApproved(const StartupApprovedTarget& target);

}  // namespace vigilo
