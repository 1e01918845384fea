#include "monitors/startup_findings.h"

#include <unordered_map>

#include "core/checked_file.h"
#include "core/exclusion_list.h"

namespace vigilo {

std::vector<Finding> StartupFindings(const RoundSight& sight, const std::vector<StartupEntry>& entries) {
    if (entries.empty()) return {};
    const ExclusionListSnapshot exclusions = ExclusionListSnapshot::Take();
    // A flood of entries that start one command asks the file system once.
    std::unordered_map<std::string, std::string> programs;
    const auto programOf = [&](const StartupEntry& entry) {
        if (!entry.file.empty()) return StartupFileProgram(entry.file);
        if (entry.command.empty()) return std::string();
        const auto known = programs.find(entry.command);
        if (known != programs.end()) return known->second;
        return programs.emplace(entry.command, StartupCommandProgram(entry.command)).first->second;
    };
    std::vector<Finding> findings;
    for (const StartupEntry& entry : entries) {
        std::string shown = exclusions.Apply(entry.shownName);
        if (shown.empty()) continue;
        Finding finding{FindingKind::Startup, std::move(shown)};
        finding.storedName = entry.storedName;
        if (entry.changed) finding.event = FindingEvent::Changed;
        if (entry.turnedBackOn) finding.event = FindingEvent::TurnedBackOn;
        finding.program = programOf(entry);
        if (sight.place.approved)
            finding.approved = StartupApprovedTarget{sight.place.approved->root, sight.place.approved->list, entry.storedName};
        findings.push_back(std::move(finding));
    }
    return findings;
}

std::vector<EntryChange> OnlyAdded(const RoundSight& sight) {
    std::vector<EntryChange> added;
    for (ListedEntry& entry : AddedEntries(sight.previous, sight.fresh)) added.push_back({std::move(entry), false});
    return added;
}

}  // namespace vigilo
