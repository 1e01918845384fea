#include "monitors/registry_monitor.h"

#include "core/settings_store.h"
#include "monitors/sliced_wait.h"
#include "platform/wait_seconds.h"
#include "platform/registry.h"

namespace vigilo {
namespace {

constexpr DWORD kWatchFilter =
    REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES | REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_SECURITY;

// Whether an open key has been deleted meanwhile. Querying its info needs
// KEY_QUERY_VALUE, hence that right on the watched key.
bool KeyDeleted(HKEY key) {
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_KEY_DELETED;
}

}  // namespace

bool TRegistryMonitorThread::WaitForChange(HANDLE changed, HKEY key) {
    switch (WaitInSlices(changed, waitSliceMs_, *this, [key] { return KeyDeleted(key); }, watching_)) {
    case WaitEnd::Changed: return true;
    case WaitEnd::Gone: Terminate(); return false;
    case WaitEnd::Terminated: return false;
    }
    return false;
}

void TRegistryMonitorThread::HandOff(const std::function<void()>& method) {
    if (!Terminated()) Synchronize(method);
}

void TRegistryMonitorThread::Execute() {
    for (;;) {
        if (Terminated()) return;
        if (!KeyExists(RootKey, KeyPath, View)) Terminate();
        ListKey(Snapshot);
        if (!WatchAndRound() || Terminated()) return;
        WaitSeconds(1);
    }
}

bool TRegistryMonitorThread::WatchAndRound() {
    UniqueKey key = OpenKey(RootKey, KeyPath, KEY_NOTIFY | KEY_QUERY_VALUE, View);
    if (!key) return true;
    UniqueKernelHandle changed(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!changed) return true;
    if (RegNotifyChangeKeyValue(key.get(), TRUE, kWatchFilter, changed.get(), TRUE) != ERROR_SUCCESS) return true;
    if (!WaitForChange(changed.get(), key.get())) return false;
    Round();
    return true;
}

}  // namespace vigilo
