#pragma once
// A watch's side of its kept listing (core/kept_listing.h). At the start of
// its place's first watch in this run, what was kept becomes the watch's
// snapshot, so that its first listing is compared with it: a listing, or
// nothing when the place was absent (what it holds now is new). Afterwards
// the watch keeps what it would compare with next, written only when that
// changes: each baseline, or "absent" while the place is missing and the
// watch has no listing of it.
//
// The catch-up is done once a run: when its round has run to its end or
// reported, or a later baseline was taken. A restart that cuts it short
// (during a settle delay) leaves it to the place's next watch.
#include <string>
#include <utility>

#include "core/kept_listing.h"
#include "monitors/string_list.h"

namespace vigilo {

class KeptPlace {
public:
    KeptPlace() = default;  // keeps nothing
    // store null: the watch keeps nothing.
    KeptPlace(KeptListingStore* store, std::string place) : store_(store), place_(std::move(place)) {}

    // At the watch's start: fills snapshot with what was kept and returns
    // whether the place counts as come (to be compared, not taken as the
    // baseline). False on the first start ever, and on later starts in a run.
    bool Start(StringList& snapshot);
    // Whether the next round is the catch-up's.
    bool CatchingUp() const { return catchingUp_; }
    // The catch-up's round has run or reported.
    void CaughtUp();
    // A baseline was taken.
    void Listed(const StringList& snapshot);
    // The place does not exist.
    void Missing();

private:
    void Keep(KeptListing listing);

    KeptListingStore* store_ = nullptr;
    std::string place_;
    KeptListing kept_;  // what the store holds, as far as this watch knows
    bool catchingUp_ = false;
};

}  // namespace vigilo
