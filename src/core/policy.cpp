#include "core/policy.h"

#include "core/findings_record.h"
#include "core/setting_names.h"
#include "core/settings_store.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// The administrative templates name exactly these values, each as a policy
// of its own; GuardEnabled and Language are left out on purpose.
constexpr const char* kPolicyValueNames[] = {
    settings::kNewAppNotifier,  settings::kUninstallNotifier, settings::kNewToolbarNotifier,
    settings::kStartupNotifier, settings::kCacheNotifier,     settings::kEventLog,
    policy::kShowWindows,
};

// A REG_DWORD of four bytes holding 0 or 1; anything else is no policy.
std::optional<bool> ForcedIn(HKEY root, const std::string& path, std::string_view name) {
    const std::optional<DWORD> data = DwordValue(root, path, std::string(name));
    if (!data || *data > 1) return std::nullopt;
    return *data == 1;
}

bool IsPolicyValue(std::string_view name) {
    for (const char* known : kPolicyValueNames)
        if (SameIgnoringCase(known, name)) return true;
    return false;
}

// The user's own EventLog: on unless a REG_DWORD says 0. The log is the
// administrator's record, so a broken value keeps it on rather than stop it
// or interrupt a round with an error.
bool UsersEventLog() {
    const std::optional<DWORD> data = DwordValue(kSettingsRoot, kVigiloSettingsKey, settings::kEventLog);
    return !data || *data != 0;
}

}  // namespace

std::span<const char* const> PolicyValueNames() { return kPolicyValueNames; }

std::optional<bool> PolicyForced(std::string_view name, const PolicyPlace& place) {
    if (!IsPolicyValue(name)) return std::nullopt;
    if (const std::optional<bool> machine = ForcedIn(place.machineRoot, place.path, name)) return machine;
    return ForcedIn(place.userRoot, place.path, name);
}

bool PolicyOr(std::string_view name, const std::function<bool()>& usersOwn, const PolicyPlace& place) {
    if (const std::optional<bool> forced = PolicyForced(name, place)) return *forced;
    return usersOwn();
}

bool NotifierOn(const char* name, const PolicyPlace& place) {
    return PolicyOr(name, [name] { return ReadBool(kSettingsRoot, kSettingsKey, name); }, place);
}

bool EventLogOn(const PolicyPlace& place) { return PolicyOr(settings::kEventLog, UsersEventLog, place); }

bool WindowsShown(const PolicyPlace& place) { return PolicyForced(policy::kShowWindows, place).value_or(true); }

}  // namespace vigilo
