#pragma once
// The cycle every folder monitor runs, until it is told to terminate:
//
//   1. end if told to terminate;
//   2. list the folder's entries into Snapshot (the baseline);
//   3. arm a change notification for entries created, deleted or renamed
//      directly in the folder; when that fails (the folder is gone), skip to 5;
//   4. wait for it; end as soon as told to terminate, and start a new cycle
//      when the folder no longer exists; on the signal run the monitor's Round;
//   5. close the notification, pause one second and start again (a
//      terminate ends the pause, as it ends the settle delay of a round).
//
// A vanished folder is therefore retried about once a second, and when it is
// back its entries become the new baseline: nothing it already holds is
// reported. The folder's parent is watched for folders that come and go
// (change_wait.h), because a folder can leave its path without a signal of
// its own: moved away (to the Recycle Bin, for one), the watch follows it to
// its new place; and Wine never signals the deletion of the watched folder
// itself. Between changes the monitor only blocks, without waking.
//
// A monitor derives from this class, passes its wait slice to the
// constructor and implements Round: settle, list again and diff against
// Snapshot (SettleAndFindAdded), filter, and at most once HandOff to the
// main thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "monitors/string_list.h"
#include "platform/thread.h"

namespace vigilo {

class TFolderMonitorThread : public TThread {
public:
    // Set by the creator while the thread is suspended.
    std::string WatchFolder;  // ends in "\"
    StringList Snapshot;      // baseline listing of the current cycle

    DWORD WaitSlice() const { return waitSliceMs_; }
    // The change notification is armed and the thread waits for it.
    bool Watching() const { return watching_; }

protected:
    // waitSliceMs: how often the wait looks whether the folder still exists
    // when its parent cannot be watched.
    explicit TFolderMonitorThread(DWORD waitSliceMs) : waitSliceMs_(waitSliceMs) {}

    // One round after a change signal, on the monitor thread.
    virtual void Round() = 0;

    // Gives the writer of a new entry six seconds to finish it, lists the
    // folder again and returns the entry found new against Snapshot (the last
    // one listed); empty when there is none.
    std::string SettleAndFindAdded() const;

    // Runs method (the hand-off) on the main thread and waits for it, unless
    // the thread has been told to terminate. The cycle checks again right
    // after the round, so a thread told to terminate meanwhile ends there.
    void HandOff(const std::function<void()>& method);

private:
    void Execute() final;
    // Steps 3 and 4; false when the thread is to end now.
    bool WatchAndRound();

    DWORD waitSliceMs_;
    std::atomic<bool> watching_{false};
};

}  // namespace vigilo
