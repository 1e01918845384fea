#include "monitors/watch.h"

#include <algorithm>
#include <map>
#include <utility>
#include <mutex>

#include "core/ignore_rules.h"
#include "core/policy_ignore_rules.h"
#include "monitors/finding_signers.h"
#include "platform/text.h"
#include "platform/timing_trace.h"

namespace vigilo {
namespace {

// A place that changes while it is listed is listed again, at most this
// many times in all; after that the round goes on, so a place written every
// few milliseconds never blinds its watch.
constexpr int kMostListingsAtOnce = 3;

bool Signalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// The mutex of a place, which its watch holds for its whole life: after a
// restart the new watch of a place begins only once the old one has ended,
// so that it compares with what the old one kept, never with what it was
// about to keep. A place's mutex lives while a watch of it does.
std::shared_ptr<UniqueKernelHandle> TurnOf(const std::string& place) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<UniqueKernelHandle>> turns;
    std::lock_guard lock(mutex);
    std::erase_if(turns, [](const auto& turn) { return turn.second.expired(); });
    std::weak_ptr<UniqueKernelHandle>& slot = turns[Utf8(UpperCaseOrdinal(place))];
    std::shared_ptr<UniqueKernelHandle> turn = slot.lock();
    if (!turn) {
        turn = std::make_shared<UniqueKernelHandle>(CreateMutexW(nullptr, FALSE, nullptr));
        slot = turn;
    }
    return turn;
}

// Holds the turn of one place while it lives.
class PlaceTurn {
public:
    PlaceTurn(const std::string& place, const MonitorThread& thread) {
        if (place.empty()) {
            taken_ = true;
            return;
        }
        turn_ = TurnOf(place);
        if (!*turn_) return;
        const HANDLE handles[] = {turn_->get(), thread.TerminateEvent()};
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        // An abandoned mutex is ours all the same: its watch ended.
        taken_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
        held_ = taken_;
    }
    ~PlaceTurn() {
        if (held_) ReleaseMutex(turn_->get());
    }
    PlaceTurn(const PlaceTurn&) = delete;
    PlaceTurn& operator=(const PlaceTurn&) = delete;
    bool Taken() const { return taken_; }

private:
    std::shared_ptr<UniqueKernelHandle> turn_;
    bool taken_ = false;
    bool held_ = false;
};

}  // namespace

Watch::Watch(std::unique_ptr<Place> place, PlaceSpec spec, WatchRules rules, HandOff handOff,
             KeptListingStore* kept)
    : place_(std::move(place)), spec_(std::move(spec)), rules_(rules), handOff_(std::move(handOff)),
      kept_(place_->KeptName().empty() ? nullptr : kept) {}

void Watch::Execute() {
    const PlaceTurn turn(kept_ ? place_->KeptName() : std::string(), *this);
    if (!turn.Taken() || Terminated()) return;
    Listing previous;
    bool compare = rules_.arrivedAtStart;
    if (kept_) {
        keptNow_ = kept_->Load(place_->KeptName());
        if (keptNow_.kind != KeptListing::Kind::Nothing) {
            previous = keptNow_.listing;
            compare = true;
        }
    }
    for (;;) {
        if (Terminated()) return;
        if (!place_->Exists()) {
            if (!compare) Keep({KeptListing::Kind::Absent});
            // What it holds when it comes is new: compared with the last listing, or with nothing.
            compare = true;
            if (!place_->WaitUntilExists(*this, waiting_)) return;
        }
        std::unique_ptr<PlaceWatch> watch = place_->Watch();
        if (!watch) {
            // Gone again between the look and the arming: look once more in a second.
            if (WaitTerminated(1)) return;
            continue;
        }
        if (compare) {
            const RoundEnd end = Round(*watch, previous, false);
            if (end == RoundEnd::End) return;
            if (end == RoundEnd::Left) continue;
        } else {
            previous = ListWhole(*watch, previous);
            Keep({KeptListing::Kind::Listed, previous});
        }
        compare = true;  // whatever ends the watch below, what is there next is compared
        for (RoundEnd end = RoundEnd::Done; end == RoundEnd::Done;) {
            switch (WaitForChange(watch->Changed(), place_->WaitSliceMs(), *this, *watch, watching_)) {
            case WaitEnd::Terminated: return;
            case WaitEnd::Gone: end = RoundEnd::Left; break;
            case WaitEnd::Changed:
                TraceTiming("wake", spec_.path);
                end = Round(*watch, previous, true);
                break;
            }
            if (end == RoundEnd::End) return;
        }
        // The place left. Its watch is closed first: Wine completes a watched
        // folder's removal only then.
        watch.reset();
    }
}

Watch::RoundEnd Watch::Round(PlaceWatch& watch, Listing& previous, bool emptyMayMeanLeaving) {
    TraceTiming("round", spec_.path);
    // What changed while this watch's own window was up is recorded, never shown.
    const bool upAtWake = WindowUp();
    if (WaitTerminated(rules_.settleSeconds)) return RoundEnd::End;
    TraceTiming("settled", spec_.path);
    watch.RearmChanged();
    Listing fresh = ListWhole(watch, previous);
    if (!place_->Exists()) return RoundEnd::Left;
    // Emptied, as a place is on its way out (a tree deleted entry by entry;
    // Wine holds a watched folder's removal until its watch is closed): what
    // is there next is compared with what it held, not with nothing.
    if (emptyMayMeanLeaving && fresh.entries.empty() && !previous.entries.empty()) return RoundEnd::Left;
    const ULONGLONG now = rules_.clock ? rules_.clock() : GetTickCount64();
    std::vector<Finding> findings;
    if (rules_.rule) findings = Completed(rules_.rule({spec_, WithRecentlyGone(previous, now), fresh}));
    if (!findings.empty()) TraceTiming("found", findings.back().name);
    // Told to terminate before the hand-off: nothing kept, so the next watch
    // of the place compares with the same listing and reports these.
    if (Terminated()) return RoundEnd::End;
    const KeptListing listed{KeptListing::Kind::Listed, fresh};
    RememberGone(previous, fresh, now);
    previous = std::move(fresh);
    if (findings.empty()) {
        Keep(listed);
        return RoundEnd::Done;
    }
    return Report(std::move(findings), upAtWake || WindowUp(), &listed) ? RoundEnd::Done : RoundEnd::End;
}

std::vector<Finding> Watch::Completed(std::vector<Finding> findings) const {
    if (findings.empty()) return findings;
    const std::string place = place_->KeptName().empty() ? spec_.path : place_->KeptName();
    for (Finding& finding : findings) {
        finding.kind = rules_.window;
        finding.place = place;
        finding.quietWhilePurgeonRuns = rules_.quietWhilePurgeonRuns;
        // A name holding a NUL (written through the native API) would be cut
        // into another entry's name: shown whole, and not acted on by name.
        if (finding.name.find('\0') != std::string::npos || finding.storedName.find('\0') != std::string::npos) {
            finding.name = VisibleName(finding.name);
            finding.approved.reset();
        }
    }
    findings = WithoutIgnored(std::move(findings));
    if (rules_.signersChecked) AddSigners(findings);
    return findings;
}

Listing Watch::ListWhole(PlaceWatch& watch, const Listing& previous) {
    // An enumeration goes by index: an entry deleted meanwhile shifts the
    // rest, and the entry after it is skipped. A change signalled during the
    // listing takes it again; an entry of any of them counts as present. The
    // last signal stays armed for the next round.
    Listing listing = place_->List(previous);
    for (int taken = 1; taken < kMostListingsAtOnce && Signalled(watch.Changed()); ++taken) {
        watch.RearmChanged();
        listing = MergedListings(listing, place_->List(listing));
    }
    return listing;
}

bool Watch::Report(std::vector<Finding> findings, bool held, const KeptListing* listed) {
    RoundReport report{std::move(findings), held};
    SharedEvent windowEnd;
    bool handedOff = false;
    Synchronize([&] {
        TraceTiming("hand-off", spec_.path);
        windowEnd = handOff_(report);
        handedOff = true;
    });
    if (!handedOff) return false;
    // Kept once recorded, here and not on the main thread (a listing of
    // thousands of entries takes a while to write). A watch told to
    // terminate meanwhile keeps it all the same: the next watch of the place
    // begins only once this one has ended, and compares with it.
    if (listed) Keep(*listed);
    if (windowEnd) window_ = std::move(windowEnd);
    return !Terminated();
}

bool Watch::WindowUp() const { return window_ && WaitForSingleObject(window_.Handle(), 0) == WAIT_TIMEOUT; }

void Watch::Keep(const KeptListing& listing) {
    if (!kept_ || listing == keptNow_) return;
    kept_->Save(place_->KeptName(), listing);
    keptNow_ = listing;
}

Listing Watch::WithRecentlyGone(const Listing& previous, ULONGLONG now) {
    std::erase_if(recentlyGone_, [now](const GoneEntry& gone) { return now - gone.at >= kWrittenBackWithinMs; });
    if (recentlyGone_.empty()) return previous;
    Listing seen = previous;
    for (const GoneEntry& gone : recentlyGone_) seen.entries.push_back(gone.entry);
    return seen;
}

void Watch::RememberGone(const Listing& previous, const Listing& fresh, ULONGLONG now) {
    if (recentlyGone_.empty() && previous.entries.empty()) return;
    // What came back is listed again: it is remembered anew when it goes again.
    const std::vector<ListedEntry> back = AddedEntries(previous, fresh);
    const auto among = [](const std::vector<ListedEntry>& entries, const std::string& name) {
        return std::any_of(entries.begin(), entries.end(),
                           [&](const ListedEntry& entry) { return SameIgnoringCase(entry.name, name); });
    };
    std::erase_if(recentlyGone_, [&](const GoneEntry& gone) { return among(back, gone.entry.name); });
    for (ListedEntry& gone : RemovedEntries(previous, fresh)) {
        if (gone.dataHash == 0) continue;  // only data looked at tells "the same data"
        std::erase_if(recentlyGone_, [&](const GoneEntry& known) { return SameIgnoringCase(known.entry.name, gone.name); });
        recentlyGone_.push_back({std::move(gone), now});
    }
}

}  // namespace vigilo
