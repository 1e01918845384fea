#include "windows/finding_presentation.h"

#include <memory>

#include "core/companion_running.h"
#include "core/findings_record.h"
#include "core/notification_busy.h"
#include "core/notification_gate.h"
#include "core/setting_names.h"
#include "core/settings_store.h"
#include "platform/foreground_watch.h"

namespace vigilo {
namespace {

// How often a waiting finding looks whether the program in front has gone,
// where the system reports no change of the foreground window.
constexpr UINT kForegroundCheckMs = 1000;

class WaitingFindings {
public:
    void Hold(FindingKind kind, std::function<bool()> show) {
        gate_.Hold(kind, [kind, show = std::move(show)] {
            try {
                if (KindSwitchedOn(kind) && !IsCompanionRunning()) show();
            } catch (const SettingsError&) {
                // A damaged setting shows nothing; its box comes with the next restart.
            }
        });
        if (!watch_) watch_ = std::make_unique<ForegroundWatch>([this] { Recheck(); }, kForegroundCheckMs);
        Recheck();
    }
    bool MustWait() const { return gate_.Holding() || gate_.Unwelcome(); }

private:
    void Recheck() {
        if (NotificationBusy()) return;  // the window up now goes first
        const std::function<void()> show = gate_.TakeDue();
        if (!gate_.Holding()) watch_.reset();
        if (show) show();
    }

    NotificationGate gate_;
    std::unique_ptr<ForegroundWatch> watch_;
};

WaitingFindings& Waiting() {
    static WaitingFindings waiting;
    return waiting;
}

}  // namespace

bool KindSwitchedOn(FindingKind kind) {
    auto on = [](const char* name) { return ReadBool(kSettingsRoot, kSettingsKey, name); };
    switch (kind) {
        case FindingKind::Program:
            return on(settings::kNewAppNotifier) || on(settings::kUninstallNotifier);
        case FindingKind::Startup:
            return on(settings::kStartupNotifier);
        case FindingKind::Extension:
            return on(settings::kNewToolbarNotifier);
        case FindingKind::Junk:
            return on(settings::kCacheNotifier);
    }
    return false;
}

Presentation PresentFinding(const Finding& finding, std::function<bool()> show, bool recordUnlessShown) {
    const bool busy = NotificationBusy();
    const bool showable = !busy && KindSwitchedOn(finding.kind);
    const bool mustWait = showable && Waiting().MustWait();
    if (recordUnlessShown || (showable && !mustWait)) AddFinding(finding);
    if (!showable) return Presentation::Dropped;
    if (mustWait) {
        Waiting().Hold(finding.kind, std::move(show));
        return Presentation::Held;
    }
    return show() ? Presentation::Shown : Presentation::Dropped;
}

}  // namespace vigilo
