#include "monitors/service_mon_thread.h"

#include "monitors/startup_entry_rules.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// An installer creates the service's key, then writes its values: give it time.
constexpr int kSettleSeconds = 5;
constexpr DWORD kWaitSliceMs = 1000;
constexpr DWORD kLastStartWithWindows = 2;  // SERVICE_AUTO_START

std::optional<DWORD> StartValue(HKEY service) {
    DWORD start = 0, type = REG_NONE, size = 0;
    if (QueryFixedValue(service, "Start", &start, sizeof start, type, size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_DWORD || size != sizeof start) return std::nullopt;
    return start;
}

}  // namespace

bool StartsWithWindows(std::optional<DWORD> start) { return start && *start <= kLastStartWithWindows; }

TServiceMonThread::TServiceMonThread() : TRegistryMonitorThread(&ListSubkeyNames, kWaitSliceMs) {
    WatchSubkeyNamesOnly();
}

std::string TServiceMonThread::StartupServiceName(const std::string& subkey) const {
    const UniqueKey service = OpenKey(RootKey, KeyPath + subkey, KEY_QUERY_VALUE, View);
    if (!service || !StartsWithWindows(StartValue(service.get()))) return {};
    const std::string displayName = TrimControlAndBlanks(LoadDisplayText(service.get(), "DisplayName"));
    return displayName.empty() ? subkey : displayName;
}

void TServiceMonThread::Round() {
    if (WaitTerminated(kSettleSeconds)) return;
    ProgramName.clear();
    StringList fresh;
    ListKey(fresh);
    // Several services may come at once (a driver with its service): the
    // last that starts with Windows is reported.
    const StringList added = AddedNames(Snapshot, fresh);
    for (auto it = added.rbegin(); it != added.rend() && ProgramName.empty(); ++it)
        ProgramName = StartupServiceName(*it);
    ProgramName = ReportedStartupEntry(ProgramName);
    if (ProgramName.empty()) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
