#include "monitors/folder_monitor.h"

#include "monitors/folder_listing.h"
#include "platform/file_system.h"
#include "platform/unique_handle.h"
#include "platform/wait_seconds.h"

namespace vigilo {
namespace {

// Entries created, deleted or renamed directly in the folder; changed contents do not count.
constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

}  // namespace

void TFolderMonitorThread::HandOff(const std::function<void()>& method) {
    if (!Terminated()) Synchronize(method);
}

void TFolderMonitorThread::Execute() {
    for (;;) {
        if (Terminated()) return;
        ListFolderNames(WatchFolder, Snapshot);
        if (!WatchAndRound() || Terminated()) return;
        WaitSeconds(1);
    }
}

bool TFolderMonitorThread::WatchAndRound() {
    UniqueChangeNotification notification(FindFirstChangeNotificationA(WatchFolder.c_str(), FALSE, kWatchFilter));
    if (!notification) return true;
    switch (WaitForChange(notification.get())) {
    case WaitEnd::Terminated: return false;
    case WaitEnd::FolderGone: return true;
    case WaitEnd::Changed: break;
    }
    Round();
    return true;
}

TFolderMonitorThread::WaitEnd TFolderMonitorThread::WaitForChange(HANDLE notification) {
    watching_ = true;
    struct NotWatching {
        std::atomic<bool>& flag;
        ~NotWatching() { flag = false; }
    } notWatching{watching_};
    for (;;) {
        // Signalled, or the wait failed: a round finds what changed.
        if (WaitForSingleObject(notification, waitSliceMs_) != WAIT_TIMEOUT) return WaitEnd::Changed;
        if (Terminated()) return WaitEnd::Terminated;
        if (!DirectoryExists(WatchFolder)) return WaitEnd::FolderGone;
    }
}

}  // namespace vigilo
