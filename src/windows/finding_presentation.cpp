#include "windows/finding_presentation.h"

#include <memory>

#include "core/companion_running.h"
#include "core/error_box.h"
#include "core/ignore_rules.h"
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

bool SwitchedOn(FindingKind kind);

class WaitingFindings {
public:
    void Hold(FindingKind kind, ShowFindingWindow show) {
        gate_.Hold(kind, [kind, show = std::move(show)] {
            if (SwitchedOn(kind) && !IsCompanionRunning()) show();
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

// KindSwitchedOn, with a setting that cannot be read counted as off and reported once.
bool SwitchedOn(FindingKind kind) {
    try {
        return KindSwitchedOn(kind);
    } catch (const SettingsError& error) {
        ReportErrorOnce(error.what());
        return false;
    }
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

Presented PresentFinding(const Finding& finding, ShowFindingWindow show, bool recordUnlessShown) {
    if (IsIgnored(finding.kind, finding.name)) return {Presentation::Dropped};
    if (recordUnlessShown) AddFinding(finding);
    const bool showable = !NotificationBusy() && SwitchedOn(finding.kind);
    const bool mustWait = showable && Waiting().MustWait();
    if (!recordUnlessShown && showable && !mustWait) AddFinding(finding);
    if (!showable) return {Presentation::Dropped};
    if (mustWait) {
        Waiting().Hold(finding.kind, std::move(show));
        return {Presentation::Held};
    }
    SharedEvent windowEnd = show();
    return {windowEnd ? Presentation::Shown : Presentation::Dropped, windowEnd};
}

SharedEvent PresentRound(std::vector<Finding> findings, bool recordOnly, const WindowFor& windowFor) {
    // The rules are read once for the round: a flood is not a flood of reads.
    const IgnoreMatcher ignored(ReadIgnoreRules());
    std::erase_if(findings, [&](const Finding& finding) { return ignored.Matches(finding.kind, finding.name); });
    if (findings.empty()) return {};
    if (recordOnly) {
        AddFindings(findings);
        return {};
    }
    AddFindings({findings.begin(), findings.end() - 1});
    return PresentFinding(findings.back(), windowFor(findings.back(), findings.size() - 1)).windowEnd;
}

}  // namespace vigilo
