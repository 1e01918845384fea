#include "monitors/watch.h"

#include <algorithm>
#include <map>
#include <utility>
#include <mutex>

#include "platform/text.h"
#include "platform/timing_trace.h"

namespace vigilo {
namespace {

// The places being watched, each with a mutex its watch holds for its whole
// life: after a restart the new watch of a place begins only once the old
// one has ended, so that it compares with what the old one kept, never with
// what it was about to keep.
class PlaceTurns {
public:
    std::shared_ptr<UniqueKernelHandle> Of(const std::string& place) {
        std::lock_guard lock(mutex_);
        std::erase_if(turns_, [](const auto& turn) { return turn.second.expired(); });
        std::weak_ptr<UniqueKernelHandle>& slot = turns_[Utf8(UpperCaseOrdinal(place))];
        std::shared_ptr<UniqueKernelHandle> turn = slot.lock();
        if (!turn) {
            turn = std::make_shared<UniqueKernelHandle>(CreateMutexW(nullptr, FALSE, nullptr));
            slot = turn;
        }
        return turn;
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::weak_ptr<UniqueKernelHandle>> turns_;
};

// Holds the turn of one place while it lives.
class PlaceTurn {
public:
    PlaceTurn(const std::string& place, const TThread& thread) {
        if (place.empty()) {
            taken_ = true;
            return;
        }
        static PlaceTurns turns;
        turn_ = turns.Of(place);
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
            previous = place_->List(previous);
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
        // folder's removal only then. A kind that reports changes says so.
        watch.reset();
        if (!rules_.rule && !Report({}, false, nullptr, nullptr)) return;
    }
}

Watch::RoundEnd Watch::Round(PlaceWatch& watch, Listing& previous, bool emptyMayMeanLeaving) {
    TraceTiming("round", spec_.path);
    if (WaitTerminated(rules_.settleSeconds)) return RoundEnd::End;
    TraceTiming("settled", spec_.path);
    // Only the round right after a window held this watch finds what came meanwhile.
    const bool held = std::exchange(cameWhileHeld_, false);
    watch.RearmChanged();
    Listing fresh = place_->List(previous);
    if (!place_->Exists()) return RoundEnd::Left;
    // Emptied, as a place is on its way out (a tree deleted entry by entry;
    // Wine holds a watched folder's removal until its watch is closed): what
    // is there next is compared with what it held, not with nothing.
    if (emptyMayMeanLeaving && fresh.entries.empty() && !previous.entries.empty()) return RoundEnd::Left;
    const ULONGLONG now = rules_.clock ? rules_.clock() : GetTickCount64();
    std::vector<Finding> findings;
    if (rules_.rule) findings = rules_.rule({spec_, WithRecentlyGone(previous, now), fresh});
    for (Finding& finding : findings) finding.kind = rules_.window;
    if (!findings.empty()) TraceTiming("found", findings.back().name);
    // Told to terminate before the hand-off: nothing kept, so the next watch
    // of the place compares with the same listing and reports these.
    if (Terminated()) return RoundEnd::End;
    const KeptListing listed{KeptListing::Kind::Listed, fresh};
    RememberGone(previous, fresh, now);
    previous = std::move(fresh);
    if (findings.empty() && rules_.rule) {
        Keep(listed);
        return RoundEnd::Done;
    }
    return Report(std::move(findings), held, &watch, &listed) ? RoundEnd::Done : RoundEnd::End;
}

bool Watch::Report(std::vector<Finding> findings, bool cameWhileHeld, PlaceWatch* watch, const KeptListing* listed) {
    RoundReport report{std::move(findings), cameWhileHeld};
    SharedEvent windowEnd;
    bool handedOff = false;
    // Kept and recorded in one call of the main thread: a program that ends
    // (a log-off) before the call keeps nothing, so its next start reports
    // these; one that ends after does not report them again.
    Synchronize([&] {
        TraceTiming("hand-off", spec_.path);
        if (listed) Keep(*listed);
        windowEnd = handOff_(report);
        handedOff = true;
    });
    if (!handedOff) return false;
    if (!windowEnd) return !Terminated();
    // A change signalled while the window is up came while it held this
    // watch: the next round only records it. One made once the window has
    // ended is shown, however late this thread wakes to see the end; when
    // both are signalled at the wake, the end counts first.
    bool changedWhileUp = false;
    for (;;) {
        const HANDLE handles[] = {windowEnd.Handle(), TerminateEvent(), watch ? watch->Changed() : nullptr};
        const DWORD count = watch && !changedWhileUp ? 3 : 2;
        if (WaitForMultipleObjects(count, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 2) break;
        changedWhileUp = true;  // it stays signalled until the next round arms it again
    }
    if (Terminated()) return false;
    cameWhileHeld_ = changedWhileUp;
    return true;
}

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
