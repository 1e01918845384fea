#include "app/monitor_wiring.h"

#include <algorithm>

#include "core/findings_record.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "windows/extension_form.h"
#include "windows/finding_presentation.h"
#include "windows/junk_form.h"
#include "windows/new_program_form.h"
#include "windows/notification_host.h"
#include "windows/startup_form.h"

namespace vigilo {
namespace {

// The window of a finding, of which the round found more.
ShowFindingWindow WindowOf(const Finding& finding, size_t more) {
    switch (finding.kind) {
    case FindingKind::Program:
        return [more](const Finding& finding) {
            return ShowNotification<TForm2a>(
                [&](TForm2a& form) {
                    form.ProgramName = finding.name;
                    form.Publisher = finding.publisher;
                    form.IconPath = finding.iconPath;
                    form.SignerLine = finding.signerLine;
                    form.MoreFound = static_cast<int>(more);
                },
                NotificationLife::UntilClosed);
        };
    case FindingKind::Extension:
        return [more](const Finding& finding) {
            return ShowNotification<TForm2b>(
                [&](TForm2b& form) {
                    form.BrowserName = finding.browser;
                    form.MoreFound = static_cast<int>(more);
                },
                NotificationLife::Timed);
        };
    default:
        return [more](const Finding& finding) {
            return ShowNotification<TForm2c>(
                [&](TForm2c& form) {
                    form.Shown = finding;
                    form.ProgramName = finding.name;
                    form.EntryChanged = finding.event == FindingEvent::Changed;
                    form.ApprovedTarget = finding.approved;
                    form.SignerLine = finding.signerLine;
                    form.MoreFound = static_cast<int>(more);
                    // Disabling or enabling it gives the user its time again.
                    form.OnUserActed = &RestartNotificationTime;
                },
                NotificationLife::Timed);
        };
    }
}

std::vector<MonitorSlot> SlotsOf(const WatchKind& kind, const PathSet& paths) {
    std::vector<MonitorSlot> slots;
    for (PlaceSpec& place : kind.places(paths))
        // A folder the shell did not give is no folder: never watched (an
        // empty path would be the current folder).
        if (!place.IsFolder() || !place.path.empty()) slots.push_back({&kind, std::move(place)});
    return slots;
}

bool SamePlace(const PlaceSpec& a, const PlaceSpec& b) {
    if (a.IsFolder() || b.IsFolder()) return a.IsFolder() && b.IsFolder() && SameFolder(a.path, b.path);
    return a.root == b.root && a.view == b.view && SameIgnoringCase(a.path, b.path);
}

}  // namespace

std::vector<MonitorSlot> MonitorSlots(const PathSet& paths) {
    std::vector<MonitorSlot> slots;
    for (const WatchKind& kind : WatchKinds()) {
        std::vector<MonitorSlot> ofKind = SlotsOf(kind, paths);
        slots.insert(slots.end(), ofKind.begin(), ofKind.end());
    }
    return slots;
}

void UpdateProfileSlots(MonitorGroups& groups, const PathSet& paths, bool whileRunning) {
    std::vector<MonitorSlot> wanted;
    for (const WatchKind& kind : WatchKinds()) {
        if (!kind.followsProfiles) continue;
        std::vector<MonitorSlot> ofKind = SlotsOf(kind, paths);
        wanted.insert(wanted.end(), ofKind.begin(), ofKind.end());
    }
    const auto among = [](const std::vector<MonitorSlot>& slots, const MonitorSlot& slot) {
        return std::any_of(slots.begin(), slots.end(), [&](const MonitorSlot& other) {
            return other.kind == slot.kind && SamePlace(other.place, slot.place);
        });
    };
    groups.RemoveSlots([&](const MonitorSlot& slot) { return slot.kind->followsProfiles && !among(wanted, slot); });
    for (MonitorSlot slot : wanted) {
        if (among(groups.Slots(), slot)) continue;
        slot.foundWhileRunning = whileRunning;
        groups.AddSlot(std::move(slot));
    }
}

std::vector<std::string> KeptPlaceNames(const PathSet& paths) {
    std::vector<std::string> names = ScheduledTaskPlaceNames();
    names.push_back(ServiceCheckPlaceName());
    for (const MonitorSlot& slot : MonitorSlots(paths)) {
        std::string name = MakePlace(slot.place, slot.kind->listing, slot.kind->changes)->KeptName();
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

SharedEvent PresentReport(const RoundReport& report) {
    return PresentRound(report.findings, report.cameWhileHeld, &WindowOf);
}

std::unique_ptr<TThread> CreateWatch(const MonitorSlot& slot, const std::function<void()>& profilesChanged) {
    const WatchKind& kind = *slot.kind;
    HandOff handOff = &PresentReport;
    if (!kind.rule)
        handOff = [profilesChanged](const RoundReport&) {
            if (profilesChanged) profilesChanged();
            return SharedEvent();
        };
    auto watch = std::make_unique<Watch>(MakePlace(slot.place, kind.listing, kind.changes), slot.place,
                                         WatchRules{kind.settleSeconds, kind.rule, kind.window, slot.foundWhileRunning},
                                         std::move(handOff));
    if (!watch->CreateSuspended()) return nullptr;
    return watch;
}

std::unique_ptr<ScheduledTaskCheck> CreateScheduledTaskCheck() {
    // One window a tick, for the newest; the record keeps them all.
    const auto report = [](const std::vector<Finding>& findings) { PresentRound(findings, false, &WindowOf); };
    return std::make_unique<ScheduledTaskCheck>(report, ListScheduledTasks, &VigiloKeptListings());
}

std::unique_ptr<ServiceCheck> CreateServiceCheck() {
    const auto report = [](const std::vector<Finding>& findings) { PresentRound(findings, false, &WindowOf); };
    return std::make_unique<ServiceCheck>(report, ListServices, &VigiloKeptListings());
}

std::unique_ptr<JunkCheck> CreateJunkCheck(const PathSet& paths) {
    const auto show = [](std::int64_t junkSize) {
        return static_cast<bool>(
            ShowNotification<TForm2d>([&](TForm2d& form) { form.JunkSize = junkSize; }, NotificationLife::Timed));
    };
    const auto report = [](std::int64_t junkSize, const std::function<bool()>& showJunk, bool recordUnlessShown) {
        const Finding junk{FindingKind::Junk, JunkAmountText(junkSize, DecimalSeparator())};
        const auto showWindow = [showJunk](const Finding&) { return showJunk() ? SharedEvent::Create() : SharedEvent(); };
        return PresentFinding(junk, showWindow, recordUnlessShown).outcome;
    };
    // The profiles there are at each tick, whatever the watches have seen.
    return std::make_unique<JunkCheck>([&paths] { return JunkFoldersNow(paths); }, show, report);
}

}  // namespace vigilo
