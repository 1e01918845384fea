#include "monitors/kept_place.h"

namespace vigilo {

bool KeptPlace::Start(StringList& snapshot) {
    if (!store_) return false;
    kept_ = store_->Load(place_);
    catchingUp_ = kept_.kind != KeptListing::Kind::Nothing && store_->CatchUpPending(place_);
    if (!catchingUp_) return false;
    snapshot = kept_.names;
    return true;
}

void KeptPlace::CaughtUp() {
    if (!catchingUp_) return;
    catchingUp_ = false;
    store_->MarkCaughtUp(place_);
}

void KeptPlace::Listed(const StringList& snapshot) {
    CaughtUp();
    Keep({KeptListing::Kind::Names, snapshot});
}

void KeptPlace::Missing() {
    if (kept_.kind == KeptListing::Kind::Nothing) Keep({KeptListing::Kind::Absent, {}});
}

void KeptPlace::Keep(KeptListing listing) {
    if (!store_ || listing == kept_) return;
    store_->Save(place_, listing);
    kept_ = std::move(listing);
}

}  // namespace vigilo
