#include "monitors/folder_monitor.h"

#include "monitors/folder_listing.h"
#include "monitors/sliced_wait.h"
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
    const auto folderGone = [this] { return !DirectoryExists(WatchFolder); };
    switch (WaitInSlices(notification.get(), waitSliceMs_, *this, folderGone, watching_)) {
    case WaitEnd::Terminated: return false;
    case WaitEnd::Gone: return true;  // a new cycle
    case WaitEnd::Changed: break;
    }
    Round();
    return true;
}

}  // namespace vigilo
