#pragma once
// The cycle every registry monitor runs, until it is told to terminate:
//
//   1. end if told to terminate; while the watched key does not exist, wait
//      for it (appearance_wait.h) and, when it is there, go to 7;
//   2. list the key into Snapshot (the baseline);
//   3. open the key for change notification, 4. create an event, 5. arm a
//      notification for the whole subtree (names, attributes, values,
//      security); on failure skip to 8;
//   6. wait for the event; end as soon as told to terminate, and go back to
//      1 when the open key has been deleted (change_wait.h: the key's parent
//      is watched for that, since Wine does not signal it on the key itself);
//   7. on the signal, or when the key has come (back), run the monitor's
//      Round, then close event and key;
//   8. unless told to terminate, pause one second and start again (a
//      terminate ends the pause, as it ends the settle delay of a round).
//
// A key that comes (back) is itself a change: the round compares it with
// Snapshot, the last listing of the key in this run, or nothing when it has
// never been listed (an installer writes "Uninstall\{id}" with all its values
// before a cycle could list the new key empty). So a key deleted and put back
// as it was reports nothing, and one made anew reports what it holds. A key
// that is missing or deleted never ends the monitor.
//
// What the monitor compares with is kept between runs, under the key's root,
// view and path (kept_place.h): the first watch of the key in a run compares
// its first listing with it, so the first round reports what was added while
// Vigilo was not running (a key absent then reports what it holds now).
//
// The key is listed and watched in the same view (View), so on 64-bit
// Windows the notification watches the very key the listings read. A monitor
// never polls: between changes, and while it waits for its key, it only
// blocks, without waking. One change signal gives one round; what changes
// between a round and the next baseline is taken into that baseline and
// never reported.
//
// A monitor derives from this class, passes its listing and wait slice to the
// constructor and implements Round: settle, list again with ListKey, diff
// against Snapshot, filter, and at most once HandOff to the main thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "core/kept_listing.h"
#include "monitors/kept_place.h"
#include "monitors/registry_listing.h"
#include "monitors/string_list.h"
#include "monitors/watch_cycle.h"
#include "platform/thread.h"

namespace vigilo {

class TRegistryMonitorThread : public TThread {
public:
    // Set by the creator while the thread is suspended.
    HKEY RootKey = nullptr;
    std::string KeyPath;  // as given; may end in "\", subkey names are appended directly
    RegistryView View = RegistryView::k64Bit;  // the view listed and watched
    // Where the watch keeps its listing between runs; null: nowhere, and no
    // catch-up at the start.
    KeptListingStore* Kept = &VigiloKeptListings();
    StringList Snapshot;  // baseline listing of the current cycle

    DWORD WaitSlice() const { return waitSliceMs_; }
    // The change notification is armed and the thread waits for it.
    bool Watching() const { return watching_; }
    // The key does not exist and the thread waits for it.
    bool Waiting() const { return waiting_; }

protected:
    // listing: ListSubkeyNames or ListValueNames. waitSliceMs: how often the
    // wait looks whether the key was deleted when its parent cannot be watched.
    TRegistryMonitorThread(KeyListing listing, DWORD waitSliceMs) : listing_(listing), waitSliceMs_(waitSliceMs) {}

    // One round after a change signal, on the monitor thread.
    virtual void Round() = 0;

    // Lists the watched key with this monitor's listing.
    // The last listing is what a hand-off keeps for the next run.
    int ListKey(StringList& list) const {
        const int count = listing_(RootKey, KeyPath, list, View);
        roundListing_ = list;
        return count;
    }
    // Watches only the names of the key's direct subkeys from now on, not
    // the whole subtree: for a key whose subkeys' values change all the time.
    void WatchSubkeyNamesOnly() { subkeyNamesOnly_ = true; }
    // Runs method (the hand-off) on the main thread and waits for it, unless
    // the thread has been told to terminate. The cycle checks again right
    // after the round, so a thread told to terminate meanwhile ends there.
    void HandOff(const std::function<void()>& method);

private:
    void Execute() final;
    // Step 2; a key gone meanwhile leaves Snapshot as it was.
    void TakeBaseline();
    // Steps 3 to 7.
    WatchEnd WatchAndRound();

    KeyListing listing_;
    DWORD waitSliceMs_;
    KeptPlace kept_;
    mutable StringList roundListing_;  // the round's listing, kept at its hand-off
    std::atomic<bool> watching_{false};
    std::atomic<bool> waiting_{false};
    bool subkeyNamesOnly_ = false;
};

}  // namespace vigilo
