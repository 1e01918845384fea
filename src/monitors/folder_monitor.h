#pragma once
// The cycle every folder monitor runs, until it is told to terminate:
//
//   1. end if told to terminate; while the folder does not exist, wait for it
//      (appearance_wait.h) and, when it is there, go to 4 for a round;
//   2. list the folder's entries into Snapshot (the baseline);
//   3. arm a change notification for entries created, deleted or renamed
//      directly in the folder (or for the monitor's own filter);
//   4. wait for it; end as soon as told to terminate, and go back to 1 when
//      the folder no longer exists; on the signal, or when the folder has
//      come (back), run the monitor's Round;
//   5. close the notification, pause one second and start again (a
//      terminate ends the pause, as it ends the settle delay of a round).
//
// A folder that comes (back) is itself a change: the round compares what it
// holds with Snapshot, the last listing of the folder in this run, or with
// nothing when it has never been listed. A folder deleted and put back as it
// was (a restored backup) reports nothing; one made anew, or put back with an
// entry it did not hold, reports it. The folder's parent is watched for
// folders that come and go (change_wait.h), because a folder can leave its
// path without a signal of its own: moved away (to the Recycle Bin, for
// one), the watch follows it to its new place; and Wine never signals the
// deletion of the watched folder itself. Between changes, and while it waits
// for its folder, the monitor only blocks, without waking.
//
// What the monitor compares with is kept between runs, under the folder's
// path (kept_place.h): the first watch of the folder in a run compares its
// first listing with it, so the first round reports what was added while
// Vigilo was not running (a folder absent then reports what it holds now).
//
// A monitor derives from this class, passes its wait slice to the
// constructor and implements Round: settle, list again and diff against
// Snapshot (SettleAndFindAdded), filter, and at most once HandOff to the
// main thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "core/kept_listing.h"
#include "monitors/kept_place.h"
#include "monitors/string_list.h"
#include "monitors/watch_cycle.h"
#include "platform/thread.h"

namespace vigilo {

class TFolderMonitorThread : public TThread {
public:
    // Set by the creator while the thread is suspended.
    std::string WatchFolder;  // ends in "\"
    // Where the watch keeps its listing between runs; null: nowhere, and no
    // catch-up at the start.
    KeptListingStore* Kept = &VigiloKeptListings();
    StringList Snapshot;      // baseline listing of the current cycle
    // The folder is new to this run (a profile found while Vigilo runs): what
    // it holds at the first cycle is compared with Snapshot, not taken as the baseline.
    bool ArrivedAtStart = false;

    DWORD WaitSlice() const { return waitSliceMs_; }
    // The change notification is armed and the thread waits for it.
    bool Watching() const { return watching_; }
    // The folder does not exist and the thread waits for it.
    bool Waiting() const { return waiting_; }

protected:
    // Entries created, deleted or renamed directly in the folder; changed contents do not count.
    static constexpr DWORD kEntriesFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

    // waitSliceMs: how often the wait looks whether the folder still exists
    // when its parent cannot be watched; filter: the changes that wake it.
    explicit TFolderMonitorThread(DWORD waitSliceMs, DWORD filter = kEntriesFilter)
        : waitSliceMs_(waitSliceMs), filter_(filter) {}

    // One round after a change signal, on the monitor thread.
    virtual void Round() = 0;
    // Runs when the watched folder has gone, before the wait for its return.
    virtual void Left() {}

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
    // Step 2; a folder gone meanwhile leaves Snapshot as it was.
    void TakeBaseline();
    // Steps 3 and 4.
    WatchEnd WatchAndRound();

    DWORD waitSliceMs_;
    DWORD filter_;
    KeptPlace kept_;
    mutable StringList roundListing_;  // the round's listing, kept at its hand-off
    std::atomic<bool> watching_{false};
    std::atomic<bool> waiting_{false};
    mutable bool emptied_ = false;  // the round listed the folder empty, Snapshot was not
};

}  // namespace vigilo
