#include "monitors/registry_monitor.h"

#include "core/settings_store.h"
#include "monitors/appearance_wait.h"
#include "monitors/change_wait.h"
#include "platform/registry.h"

namespace vigilo {
namespace {

constexpr DWORD kWatchFilter =
    REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES | REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_SECURITY;

// Whether an open key has been deleted meanwhile. Querying its info needs
// KEY_QUERY_VALUE, hence that right on the watched key.
bool KeyDeleted(HKEY key) {
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_KEY_DELETED;
}

// The watched key's parent, watched for subkeys that come and go: the
// deletion of the watched key is signalled there (Wine does not signal it on
// the key itself).
class ParentKeyWatch : public ParentWatch {
public:
    ParentKeyWatch(HKEY root, const std::string& keyPath, RegistryView view, HKEY watched) : watched_(watched) {
        const std::string parent = ParentPath(keyPath);
        if (parent.empty()) return;
        key_ = OpenKey(root, parent, KEY_NOTIFY, view);
        signal_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (key_ && signal_) Rearm();
    }
    HANDLE Signal() const override { return armed_ ? signal_.get() : nullptr; }
    void Rearm() override {
        ResetEvent(signal_.get());
        armed_ = RegNotifyChangeKeyValue(key_.get(), FALSE, REG_NOTIFY_CHANGE_NAME, signal_.get(), TRUE) ==
                 ERROR_SUCCESS;
    }
    bool Gone() const override { return KeyDeleted(watched_); }

private:
    HKEY watched_;
    UniqueKey key_;
    UniqueKernelHandle signal_;
    bool armed_ = false;
};

}  // namespace

void TRegistryMonitorThread::HandOff(const std::function<void()>& method) {
    if (Terminated()) return;
    // Kept before the window holds this thread: a run that ends meanwhile
    // (a log-off while it is up) must not report the finding again.
    kept_.Listed(roundListing_);
    Synchronize(method);
}

void TRegistryMonitorThread::Execute() {
    kept_ = KeptPlace(Kept, KeyPlaceName(RootKey, View, KeyPath));
    RunWatchCycle(*this, false, Snapshot, kept_,
                  {[this] { return KeyExists(RootKey, KeyPath, View); },
                   [this] { return WaitUntilExists(KeyPath, RegistryKeys(RootKey, View), *this, waitSliceMs_, waiting_); },
                   [this] { Round(); }, [this] { TakeBaseline(); }, [this] { return WatchAndRound(); }, [] {}});
}

void TRegistryMonitorThread::TakeBaseline() {
    StringList listed;
    ListKey(listed);
    if (KeyExists(RootKey, KeyPath, View)) Snapshot = std::move(listed);
}

WatchEnd TRegistryMonitorThread::WatchAndRound() {
    UniqueKey key = OpenKey(RootKey, KeyPath, KEY_NOTIFY | KEY_QUERY_VALUE, View);
    // Gone since the baseline, and maybe back already: compared, not listed anew.
    if (!key) return WatchEnd::Left;
    UniqueKernelHandle changed(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!changed) return WatchEnd::Again;
    const BOOL subtree = subkeyNamesOnly_ ? FALSE : TRUE;
    const DWORD filter = subkeyNamesOnly_ ? REG_NOTIFY_CHANGE_NAME : kWatchFilter;
    if (RegNotifyChangeKeyValue(key.get(), subtree, filter, changed.get(), TRUE) != ERROR_SUCCESS)
        return WatchEnd::Again;
    ParentKeyWatch parent(RootKey, KeyPath, View, key.get());
    switch (WaitForChange(changed.get(), waitSliceMs_, *this, parent, watching_)) {
    case WaitEnd::Terminated: return WatchEnd::End;
    case WaitEnd::Gone: return WatchEnd::Left;
    case WaitEnd::Changed: break;
    }
    Round();
    // Deleted during the round: what comes next is compared, not listed anew.
    return KeyExists(RootKey, KeyPath, View) ? WatchEnd::Again : WatchEnd::Left;
}

}  // namespace vigilo
