#include "windows/finding_presentation.h"

#include <memory>

#include "core/companion_running.h"
#include "core/error_box.h"
#include "core/finding_reporters.h"
#include "core/findings_record.h"
#include "core/notification_busy.h"
#include "core/notification_gate.h"
#include "core/policy.h"
#include "core/policy_ignore_rules.h"
#include "core/setting_names.h"
#include "core/settings_store.h"
#include "platform/foreground_watch.h"
#include "windows/finding_window.h"

namespace vigilo {
namespace {

// How often a waiting finding looks whether the program in front has gone,
// where the system reports no change of the foreground window.
constexpr UINT kForegroundCheckMs = 1000;

bool SwitchedOn(FindingKind kind);

class WaitingFindings {
public:
    void Hold(const Finding& finding, WindowShow show) {
        gate_.Hold(finding.kind, [finding, show = std::move(show)] {
            if (SwitchedOn(finding.kind) && !IsCompanionRunning()) show(finding);
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

// Windows are shown (a policy may keep them all off) and KindSwitchedOn, with
// a setting that cannot be read counted as off and reported once.
bool SwitchedOn(FindingKind kind) {
    try {
        return WindowsShown() && KindSwitchedOn(kind);
    } catch (const SettingsError& error) {
        ReportErrorOnce(error.what());
        return false;
    }
}

// What is to become of a finding now: shown, held until the program in
// front goes, or neither.
Presentation FateOf(const Finding& finding) {
    if (NotificationBusy() || !SwitchedOn(finding.kind)) return Presentation::Dropped;
    if (finding.quietWhilePurgeonRuns && IsCompanionRunning()) return Presentation::Dropped;
    return Waiting().MustWait() ? Presentation::Held : Presentation::Shown;
}

// Carries out the fate of a finding whose reporters have been told.
Presented Carry(const ReportedFinding& reported, const WindowShow& show) {
    if (reported.presentation == Presentation::Held) {
        Waiting().Hold(reported.finding, show);
        return {Presentation::Held};
    }
    if (reported.presentation == Presentation::Dropped) return {Presentation::Dropped};
    SharedEvent windowEnd = show(reported.finding);
    return {windowEnd ? Presentation::Shown : Presentation::Dropped, windowEnd};
}

}  // namespace

bool KindSwitchedOn(FindingKind kind) {
    const FindingKindFacts& facts = FactsOf(kind);
    return NotifierOn(facts.setting) || (facts.alsoShownBy && NotifierOn(facts.alsoShownBy));
}

Presented PresentFinding(const Finding& finding, WindowShow show, bool recordUnlessShown) {
    if (IsIgnored(finding)) return {Presentation::Dropped};
    if (recordUnlessShown) AddFinding(finding);
    const Presentation fate = FateOf(finding);
    if (!recordUnlessShown) {
        if (fate == Presentation::Dropped) return {Presentation::Dropped};
        if (fate == Presentation::Shown) AddFinding(finding);
    }
    std::vector<ReportedFinding> round{{finding, fate}};
    if (recordUnlessShown || fate == Presentation::Shown) ReportFindings(round);
    return Carry(round.back(), show);
}

SharedEvent PresentRound(std::vector<Finding> findings, bool recordOnly) {
    if (findings.empty()) return {};
    AddFindings(findings);
    std::vector<ReportedFinding> round;
    for (Finding& finding : findings) round.push_back({std::move(finding), Presentation::Dropped});
    // The others would meet the busy rule: the last is the one shown.
    if (!recordOnly) round.back().presentation = FateOf(round.back().finding);
    ReportFindings(round);
    if (recordOnly) return {};
    const size_t more = round.size() - 1;
    return Carry(round.back(), [more](const Finding& finding) { return ShowFindingWindow(finding, more); }).windowEnd;
}

}  // namespace vigilo
