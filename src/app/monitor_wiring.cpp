#include "app/monitor_wiring.h"

#include <algorithm>

#include "monitors/profile_watch.h"
#include "monitors/watch.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "windows/finding_presentation.h"
#include "windows/finding_window.h"
#include "windows/junk_window.h"

namespace vigilo {
namespace {

// A folder the shell did not give is no folder: never watched (an empty path
// would be the current folder).
bool Watchable(const PlaceSpec& place) { return !place.IsFolder() || !place.path.empty(); }

std::vector<MonitorSlot> SlotsOf(const WatchKind& kind, const PathSet& paths) {
    std::vector<MonitorSlot> slots;
    for (PlaceSpec& place : PlacesOf(kind, paths))
        if (Watchable(place)) slots.push_back({&kind, nullptr, std::move(place)});
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
    for (const ProfileWatchKind& kind : ProfileWatchKinds())
        for (PlaceSpec& place : kind.places(paths))
            if (Watchable(place)) slots.push_back({nullptr, &kind, std::move(place)});
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
    groups.RemoveSlots(
        [&](const MonitorSlot& slot) { return slot.kind && slot.kind->followsProfiles && !among(wanted, slot); });
    for (MonitorSlot slot : wanted) {
        if (among(groups.Slots(), slot)) continue;
        slot.foundWhileRunning = whileRunning;
        groups.AddSlot(std::move(slot));
    }
}

std::vector<std::string> KeptPlaceNames(const PathSet& paths) {
    std::vector<std::string> names;
    for (const MonitorSlot& slot : MonitorSlots(paths))
        if (slot.kind) names.push_back(MakePlace(*slot.kind, slot.place)->KeptName());
    return names;
}

std::unique_ptr<MonitorThread> CreateWatch(const MonitorSlot& slot, const std::function<void()>& profilesChanged) {
    std::unique_ptr<MonitorThread> thread;
    if (slot.profiles) {
        thread = std::make_unique<ProfileWatch>(MakeFolderPlace(slot.place, slot.profiles->changes), profilesChanged);
    } else {
        WatchRules rules = RulesOf(*slot.kind);
        rules.arrivedAtStart = slot.foundWhileRunning;
        thread = std::make_unique<Watch>(MakePlace(*slot.kind, slot.place), slot.place, rules,
                                         [](const RoundReport& report) {
                                             return PresentRound(report.findings, report.cameWhileHeld);
                                         });
    }
    if (!thread->CreateSuspended()) return nullptr;
    return thread;
}

std::unique_ptr<JunkCheck> CreateJunkCheck(const PathSet& paths) {
    const auto show = [](std::int64_t junkSize) {
        return static_cast<bool>(ShowFindingWindow({.kind = FindingKind::Junk, .bytes = junkSize}, 0));
    };
    const auto report = [](std::int64_t junkSize, const std::function<bool()>& showJunk, bool recordUnlessShown) {
        const Finding junk{.kind = FindingKind::Junk, .name = JunkAmountText(junkSize, DecimalSeparator()), .bytes = junkSize};
        const auto showWindow = [showJunk](const Finding&) { return showJunk() ? SharedEvent::Create() : SharedEvent(); };
        return PresentFinding(junk, showWindow, recordUnlessShown).outcome;
    };
    // The profiles there are at each tick, whatever the watches have seen.
    return std::make_unique<JunkCheck>([&paths] { return JunkFoldersNow(paths); }, show, report);
}

}  // namespace vigilo
