#include "core/startup_approved.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/registry_views.h"
#include "platform/text.h"
#include "platform/windows_version.h"

namespace vigilo {
namespace {

constexpr size_t kFlagBytes = 4;

std::optional<RegistryValue> StoredValue(const StartupApprovedTarget& target) {
    const UniqueKey key = OpenKey(target.root, StartupApprovedKeyPath(target.list), KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    return QueryValue(key.get(), target.valueName);
}

StartupApprovedBytes ValueOf(std::uint32_t flags, FILETIME time) {
    StartupApprovedBytes bytes{};
    for (size_t i = 0; i < kFlagBytes; ++i) bytes[i] = static_cast<BYTE>(flags >> (8 * i));
    for (size_t i = 0; i < 4; ++i) {
        bytes[4 + i] = static_cast<BYTE>(time.dwLowDateTime >> (8 * i));
        bytes[8 + i] = static_cast<BYTE>(time.dwHighDateTime >> (8 * i));
    }
    return bytes;
}

// What this program last wrote to each value, read by the watch of the
// StartupApproved keys on its own thread.
class OwnWrites {
public:
    void Remember(const StartupApprovedTarget& target, const StartupApprovedBytes& bytes) {
        const std::lock_guard lock(mutex_);
        written_[KeyOf(target)] = bytes;
    }
    bool Holds(const StartupApprovedTarget& target, const std::vector<BYTE>& data) const {
        const std::lock_guard lock(mutex_);
        const auto it = written_.find(KeyOf(target));
        return it != written_.end() && std::equal(data.begin(), data.end(), it->second.begin(), it->second.end());
    }

private:
    using Key = std::tuple<bool, StartupApprovedList, std::wstring>;
    static Key KeyOf(const StartupApprovedTarget& target) {
        return {target.root == HKEY_LOCAL_MACHINE, target.list, UpperCaseOrdinal(target.valueName)};
    }
    mutable std::mutex mutex_;
    std::map<Key, StartupApprovedBytes> written_;
};

OwnWrites& TheOwnWrites() {
    static OwnWrites writes;
    return writes;
}

// Writes target's value as newValue makes it of the stored one.
template <typename MakeValue>
bool Rewrite(const StartupApprovedTarget& target, MakeValue newValue) {
    const UniqueKey key =
        CreateKey(target.root, StartupApprovedKeyPath(target.list), KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) return false;
    const StartupApprovedBytes bytes = newValue(QueryValue(key.get(), target.valueName));
    if (!SetValue(key.get(), target.valueName, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())))
        return false;
    TheOwnWrites().Remember(target, bytes);
    return true;
}

FILETIME SystemNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return now;
}

}  // namespace

StartupApprovedTarget RunValueTarget(HKEY root, RegistryView view, std::string valueName) {
    const bool ownKey = view == RegistryView::k32Bit && !SameKeyInBothViews(root, kRunKey);
    return {root, ownKey ? StartupApprovedList::Run32 : StartupApprovedList::Run, std::move(valueName)};
}

std::string StartupApprovedKeyPath(StartupApprovedList list) {
    switch (list) {
    case StartupApprovedList::Run32: return std::string(kStartupApprovedKey) + "\\Run32";
    case StartupApprovedList::StartupFolder: return std::string(kStartupApprovedKey) + "\\StartupFolder";
    case StartupApprovedList::Run: break;
    }
    return std::string(kStartupApprovedKey) + "\\Run";
}

bool StartupApprovedSaysDisabled(const std::optional<RegistryValue>& stored) {
    return stored && stored->type == REG_BINARY && !stored->data.empty() && (stored->data[0] & kStartupDisabledBit);
}

bool IsOwnStartupApprovedWrite(const StartupApprovedTarget& target, const std::vector<BYTE>& data) {
    return TheOwnWrites().Holds(target, data);
}

std::optional<std::uint32_t> StartupApprovedFlags(const std::optional<RegistryValue>& stored) {
    if (!stored || stored->type != REG_BINARY || stored->data.size() < kFlagBytes) return std::nullopt;
    std::uint32_t flags = 0;
    for (size_t i = 0; i < kFlagBytes; ++i) flags |= static_cast<std::uint32_t>(stored->data[i]) << (8 * i);
    return flags;
}

StartupApprovedBytes DisabledValue(const std::optional<RegistryValue>& stored, FILETIME now) {
    return ValueOf(StartupApprovedFlags(stored).value_or(kStartupApprovedNewFlags) | kStartupDisabledBit, now);
}

StartupApprovedBytes EnabledValue(const std::optional<RegistryValue>& stored) {
    return ValueOf(StartupApprovedFlags(stored).value_or(kStartupApprovedNewFlags) & ~kStartupDisabledBit,
                   FILETIME{});
}

StartupApproval::StartupApproval()
    : StartupApproval(Seams{&SystemNow, [] { return WindowsIsAtLeast(6, 2); }, &CanWriteStartupApproved}) {}

StartupApproval::StartupApproval(Seams seams) : seams_(std::move(seams)) {}

bool StartupApproval::Offered(const StartupApprovedTarget& target) const {
    return seams_.systemHasIt() && seams_.canWrite(target);
}

bool StartupApproval::Disabled(const StartupApprovedTarget& target) const {
    return StartupApprovedSaysDisabled(StoredValue(target));
}

bool StartupApproval::Disable(const StartupApprovedTarget& target) const {
    return Rewrite(target, [this](const std::optional<RegistryValue>& stored) {
        return DisabledValue(stored, seams_.clock());
    });
}

bool StartupApproval::Enable(const StartupApprovedTarget& target) const { return Rewrite(target, &EnabledValue); }

bool CanWriteStartupApproved(const StartupApprovedTarget& target) {
    // Only trying tells: an administrator's process may write HKLM only when elevated.
    std::string path = StartupApprovedKeyPath(target.list);
    REGSAM access = KEY_SET_VALUE;
    while (!OpenKey(target.root, path, KEY_QUERY_VALUE)) {
        if (path.empty()) return false;
        const size_t parent = path.rfind('\\');
        path.resize(parent == std::string::npos ? 0 : parent);
        access = KEY_CREATE_SUB_KEY;  // the missing keys would be made below this one
    }
    return static_cast<bool>(OpenKey(target.root, path, access));
}

}  // namespace vigilo
