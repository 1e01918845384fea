#include "monitors/profile_watch.h"

#include <utility>

namespace vigilo {
namespace {

// A browser writes a new profile's folders and files over a moment.
constexpr int kSettleSeconds = 1;

}  // namespace

ProfileWatch::ProfileWatch(std::unique_ptr<Place> place, std::function<void()> changed)
    : place_(std::move(place)), changed_(std::move(changed)) {}

void ProfileWatch::Execute() {
    for (;;) {
        if (Terminated()) return;
        if (!place_->Exists()) {
            if (!place_->WaitUntilExists(*this, waiting_)) return;
            if (WaitTerminated(kSettleSeconds)) return;
            PostToMainThread(changed_);
        }
        std::unique_ptr<PlaceWatch> watch = place_->Watch();
        if (!watch) {
            // Gone again between the look and the arming: look once more in a second.
            if (WaitTerminated(1)) return;
            continue;
        }
        for (bool there = true; there;) {
            switch (WaitForChange(watch->Changed(), place_->WaitSliceMs(), *this, *watch, watching_)) {
            case WaitEnd::Terminated: return;
            case WaitEnd::Gone: there = false; break;
            case WaitEnd::Changed:
                if (WaitTerminated(kSettleSeconds)) return;
                watch->RearmChanged();
                PostToMainThread(changed_);
                break;
            }
        }
        // Its watch is closed first: Wine completes a watched folder's removal only then.
        watch.reset();
        PostToMainThread(changed_);
    }
}

}  // namespace vigilo
