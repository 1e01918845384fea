#pragma once
// The one watch engine: a thread that watches one place (place.h) for one
// kind of finding (watch_kinds.h), until it is told to terminate.
//
//   start   wait until no other watch of the place runs (one at a time), then
//           take what was kept of the place (core/kept_listing.h) as its last
//           listing: what came while no watch looked is compared with it;
//   missing while the place does not exist, wait for it (never polling); when
//           it comes it is compared with the last listing, or with nothing;
//   watch   arm the change notification, then list: a change made after the
//           arming signals, so nothing slips between listing and watching;
//   round   on a signal: give the writer the kind's settle delay, arm again,
//           list (again, while the place changed during the listing); that
//           listing is the next one compared with. Every addition is a
//           finding of the kind's rule, less those the ignore rules name,
//           with who signed its program; all of a round's findings go to the
//           main thread at once (the hand-off), and once they are recorded
//           the watch keeps the listing. A watch whose window is up keeps
//           watching: what comes while it is up is recorded at once, and
//           never shown.
//
// An entry removed and written back with the same data within a minute (a
// Group Policy refresh rewrites its keys whole) is no finding: the watch
// remembers what went, with its data hash, for that long, and the rule sees
// it as listed before when it comes back.
//
// A terminate cuts every wait short. A round that has not handed off keeps
// nothing, so the next watch of the place compares with the listing before
// it and reports what that round would have. A place that leaves is waited
// for again and compared when it comes back.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/kept_listing.h"
#include "monitors/place.h"
#include "platform/monitor_thread.h"
#include "platform/shared_event.h"

namespace vigilo {

// What a round hands to the main thread.
struct RoundReport {
    std::vector<Finding> findings;  // in listing order
    // Found while this watch's own window was up: recorded, not shown.
    bool cameWhileHeld = false;
};

// What a round saw, for the kind's rule.
struct RoundSight {
    const PlaceSpec& place;
    const Listing& previous;
    const Listing& fresh;
};

using FindingRule = std::vector<Finding> (*)(const RoundSight& sight);

struct WatchRules {
    int settleSeconds = 0;
    FindingRule rule = nullptr;
    FindingKind window = FindingKind::Startup;  // the window the findings raise
    // Who signed each program is looked at (core/signer_check.h).
    bool signersChecked = false;
    // Its windows are held back while Purgeon runs (core/finding.h).
    bool quietWhilePurgeonRuns = false;
    // The place is new to this run: what it holds at the start is compared
    // with nothing kept, not taken as the baseline.
    bool arrivedAtStart = false;
    // The watch's clock in milliseconds; none: GetTickCount64. Tests give their own.
    std::function<ULONGLONG()> clock = {};
};

// How long an entry that went is remembered, should it come back with the same data.
inline constexpr ULONGLONG kWrittenBackWithinMs = 60000;

// Runs on the main thread with what a round found; returns the event set
// when the window it showed ends, or none when it showed none.
using HandOff = std::function<SharedEvent(const RoundReport& report)>;

class Watch : public MonitorThread {
public:
    // kept null: nothing kept between watches.
    Watch(std::unique_ptr<Place> place, PlaceSpec spec, WatchRules rules, HandOff handOff,
          KeptListingStore* kept = &VigiloKeptListings());

    // The change notification is armed and the thread waits for it.
    bool Watching() const { return watching_; }
    // The place does not exist and the thread waits for it.
    bool Waiting() const { return waiting_; }

private:
    enum class RoundEnd { Done, Left, End };

    void Execute() override;
    // One round on the armed watch, comparing with previous (replaced by the round's listing).
    RoundEnd Round(PlaceWatch& watch, Listing& previous, bool emptyMayMeanLeaving);
    // The rule's findings made whole: kind, place, the row's facts, visible
    // names; less the ignored ones; who signed the last ones.
    std::vector<Finding> Completed(std::vector<Finding> findings) const;
    // The place's listing, taken again while it changed meanwhile (see ListWhole in watch.cpp).
    Listing ListWhole(PlaceWatch& watch, const Listing& previous);
    // Keeps listed and hands findings to the main thread (held: to be
    // recorded only); false when told to terminate meanwhile, or when the
    // main thread no longer takes calls.
    bool Report(std::vector<Finding> findings, bool held, const KeptListing* listed);
    // The window its last findings showed is up.
    bool WindowUp() const;
    void Keep(const KeptListing& listing);
    // previous with the entries that went within the last minute, as the rule sees it.
    Listing WithRecentlyGone(const Listing& previous, ULONGLONG now);
    // Remembers what went between previous and fresh (entries whose data was looked at).
    void RememberGone(const Listing& previous, const Listing& fresh, ULONGLONG now);

    std::unique_ptr<Place> place_;
    PlaceSpec spec_;
    WatchRules rules_;
    HandOff handOff_;
    KeptListingStore* kept_;
    KeptListing keptNow_;  // what the store holds, as far as this watch knows
    SharedEvent window_;   // set when the window its last findings showed ends
    struct GoneEntry {
        ListedEntry entry;
        ULONGLONG at;
    };
    std::vector<GoneEntry> recentlyGone_;
    std::atomic<bool> watching_{false};
    std::atomic<bool> waiting_{false};
};

}  // namespace vigilo
