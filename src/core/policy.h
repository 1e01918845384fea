#pragma once
// Settings an administrator sets by Group Policy: values under
// Software\Policies\Purgeon\Vigilo, the machine's (HKLM) and the user's
// (HKCU), in the 64-bit view. The machine's policy wins over the user's, and
// either over the user's own setting under HKCU\Software\Purgeon, which a
// policy never writes. Nothing is cached: every call reads the keys again, so
// a changed policy takes effect at the next read.
//
// A policy value forces a setting only as REG_DWORD 0 or 1 (what the
// administrative templates write). Any other type, size or number counts as
// absent, and the setting falls to the next in line. GuardEnabled and
// Language are no policy: only the user and Purgeon set them.
#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vigilo {

namespace policy {
// REG_DWORD, policy only: 0 records and logs every finding but shows no window; 1 when absent.
inline constexpr const char* kShowWindows = "ShowWindows";
}  // namespace policy

// Where policy is read: the same path under the machine's and the user's
// root. Tests point it at keys of their own.
struct PolicyPlace {
    HKEY machineRoot;
    HKEY userRoot;
    std::string path;
};
inline const PolicyPlace kVigiloPolicy{HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Policies\\Purgeon\\Vigilo"};

// The names of every REG_DWORD value a policy may set, the one list of them.
std::span<const char* const> PolicyValueNames();

// The value a policy forces on the setting name (machine before user);
// empty when no policy sets it or name is none of PolicyValueNames().
std::optional<bool> PolicyForced(std::string_view name, const PolicyPlace& place = kVigiloPolicy);
// The setting as a policy forces it, else usersOwn(), called only then
// (whatever it throws goes on to the caller).
bool PolicyOr(std::string_view name, const std::function<bool()>& usersOwn, const PolicyPlace& place = kVigiloPolicy);

// A notifier setting (NewAppNotifier, UninstallNotifier, ...) in effect:
// the policy's, else the user's own through ReadBool, which throws
// SettingsError for a value of the wrong type.
bool NotifierOn(const char* name, const PolicyPlace& place = kVigiloPolicy);
// Whether findings go to the event log: the policy's EventLog, else the
// user's own under HKCU\Software\Purgeon\Vigilo (any non-zero REG_DWORD is
// on), else on; a user's value of another type counts as missing.
bool EventLogOn(const PolicyPlace& place = kVigiloPolicy);
// Whether finding windows show: false only where a policy sets ShowWindows to 0.
bool WindowsShown(const PolicyPlace& place = kVigiloPolicy);

}  // namespace vigilo
