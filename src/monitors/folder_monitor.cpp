#include "monitors/folder_monitor.h"

#include "monitors/appearance_wait.h"
#include "monitors/change_wait.h"
#include "monitors/folder_listing.h"
#include "platform/file_system.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

// A program writes a new entry's contents (an extension's files, a
// shortcut's target) just after the entry itself: give it time.
constexpr int kSettleSeconds = 6;

// The watched folder's parent, watched for folders that come and go there:
// the watched folder deleted, renamed or moved away is signalled there.
class ParentFolderWatch : public ParentWatch {
public:
    explicit ParentFolderWatch(const std::string& folder) : folder_(folder) {
        const std::string parent = ParentFolderPath(folder);
        if (!parent.empty())
            notification_ = WatchFolderChanges(parent, false, FILE_NOTIFY_CHANGE_DIR_NAME);
    }
    HANDLE Signal() const override { return notification_ ? notification_.get() : nullptr; }
    void Rearm() override {
        if (!FindNextChangeNotification(notification_.get())) notification_.reset();
    }
    bool Gone() const override { return !DirectoryExists(folder_); }

private:
    std::string folder_;
    UniqueChangeNotification notification_;
};

}  // namespace

std::string TFolderMonitorThread::SettleAndFindAdded() const {
    // A terminate cuts the delay short: the round finds nothing then.
    if (WaitTerminated(kSettleSeconds)) return {};
    StringList fresh;
    ListFolderNames(WatchFolder, fresh);
    roundListing_ = fresh;
    emptied_ = fresh.empty() && !Snapshot.empty();
    return FindAdded(Snapshot, fresh);
}

void TFolderMonitorThread::HandOff(const std::function<void()>& method) {
    if (Terminated()) return;
    // Kept before the window holds this thread: a run that ends meanwhile
    // (a log-off while it is up) must not report the finding again.
    kept_.Listed(roundListing_);
    Synchronize(method);
}

void TFolderMonitorThread::Execute() {
    kept_ = KeptPlace(Kept, FolderPlaceName(WatchFolder));
    RunWatchCycle(*this, ArrivedAtStart, Snapshot, kept_,
                  {[this] { return DirectoryExists(WatchFolder); },
                   [this] { return WaitUntilExists(WatchFolder, Folders(), *this, waitSliceMs_, waiting_); },
                   [this] { Round(); }, [this] { TakeBaseline(); }, [this] { return WatchAndRound(); },
                   [this] { Left(); }});
}

void TFolderMonitorThread::TakeBaseline() {
    StringList listed;
    ListFolderNames(WatchFolder, listed);
    if (DirectoryExists(WatchFolder)) Snapshot = std::move(listed);
}

WatchEnd TFolderMonitorThread::WatchAndRound() {
    UniqueChangeNotification notification = WatchFolderChanges(WatchFolder, false, filter_);
    // Gone since the baseline, and maybe back already: compared, not listed anew.
    if (!notification) return WatchEnd::Left;
    ParentFolderWatch parent(WatchFolder);
    switch (WaitForChange(notification.get(), waitSliceMs_, *this, parent, watching_)) {
    case WaitEnd::Terminated: return WatchEnd::End;
    case WaitEnd::Gone: return WatchEnd::Left;
    case WaitEnd::Changed: break;
    }
    emptied_ = false;
    Round();
    // Deleted during the round, or emptied, as a folder is on its way out
    // (Wine holds a watched folder's removal until its watch is closed): what
    // is there next is compared with Snapshot, not taken as the baseline.
    return DirectoryExists(WatchFolder) && !emptied_ ? WatchEnd::Again : WatchEnd::Left;
}

}  // namespace vigilo
