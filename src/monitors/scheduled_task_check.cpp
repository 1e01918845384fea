#include "monitors/scheduled_task_check.h"

#include "core/autostart_command.h"
#include "monitors/running_scope.h"
#include "monitors/startup_entry_rules.h"
#include "platform/task_scheduler.h"
#include "platform/text.h"

#include <utility>

namespace vigilo {
namespace {

constexpr const char* kWindowsOwnTasks = "\\MICROSOFT\\WINDOWS\\";

// The kept list's place name, one per source: no key or folder is named so.
const char* KeptPlace(TaskListSource source) {
    switch (source) {
    case TaskListSource::Scheduler: return "Scheduled tasks (scheduler)";
    case TaskListSource::TaskCache: return "Scheduled tasks (task cache)";
    default: return "Scheduled tasks";
    }
}

}  // namespace

std::vector<std::string> ScheduledTaskPlaceNames() {
    return {KeptPlace(TaskListSource::TaskFolder), KeptPlace(TaskListSource::Scheduler),
            KeptPlace(TaskListSource::TaskCache)};
}

std::uint64_t TaskActionsHash(const std::vector<std::string>& commands) {
    std::string hashes;
    for (const std::string& command : commands) {
        std::string program;
        for (const char c : command)
            if (c != '"') program += c;
        const std::uint64_t hash = ProgramHash(program);
        hashes.append(reinterpret_cast<const char*>(&hash), sizeof hash);
    }
    return DataHash(hashes);
}

TaskList ListScheduledTasks() {
    const auto list = [](TaskListSource source, std::vector<RegisteredTask> tasks) {
        TaskList listed{source};
        for (RegisteredTask& task : tasks) {
            listed.paths.push_back(std::move(task.path));
            // A definition that could not be read tells no programs: 0, never compared.
            if (source != TaskListSource::TaskCache)
                listed.actions.push_back(task.commands ? TaskActionsHash(*task.commands) : 0);
        }
        return listed;
    };
    // The task files first where they can be read (Wine; never a standard
    // user on Windows): the same list, without loading the scheduler's client
    // into Vigilo for good (5 MB under Wine, whose client cannot list anyway).
    if (auto tasks = TasksFromTaskFolder()) return list(TaskListSource::TaskFolder, std::move(*tasks));
    if (auto tasks = TasksFromScheduler()) return list(TaskListSource::Scheduler, std::move(*tasks));
    if (auto tasks = TasksFromTaskCache()) return list(TaskListSource::TaskCache, std::move(*tasks));
    return {};
}

std::string ScheduledTaskName(const std::string& path) {
    if (UpperCaseAscii(path).rfind(kWindowsOwnTasks, 0) == 0) return {};
    const size_t last = path.find_last_of('\\');
    return last == std::string::npos ? path : path.substr(last + 1);
}

ScheduledTaskCheck::ScheduledTaskCheck(Report report, Lister lister, KeptListingStore* kept)
    : report_(std::move(report)), lister_(std::move(lister)), kept_(kept) {}

bool ScheduledTaskCheck::Start() {
    started_ = true;
    // The list of the run's last tick stays: a restart loses no task registered since.
    if (loaded_ || !kept_) return false;
    loaded_ = true;
    return true;
}

void ScheduledTaskCheck::Stop() { started_ = false; }

void ScheduledTaskCheck::Keep(TaskListSource source, const Listing& listing) {
    if (!kept_ || (lastKept_ && lastKept_->first == source && lastKept_->second == listing)) return;
    kept_->Save(KeptPlace(source), {KeptListing::Kind::Listed, listing});
    lastKept_.emplace(source, listing);
}

void ScheduledTaskCheck::Run() {
    if (!started_ || running_) return;
    // Listing through the scheduler and the window both let ticks in.
    const RunningScope running(running_);
    TaskList list = lister_();
    if (list.source == TaskListSource::None) return;
    // At the run's first list, what the last run kept of the same source.
    if (!previous_ && kept_) {
        KeptListing kept = kept_->Load(KeptPlace(list.source));
        if (kept.kind == KeptListing::Kind::Listed) previous_.emplace(list.source, std::move(kept.listing));
    }
    Listing listing = ListingOf(list.paths);
    for (size_t i = 0; i < listing.entries.size() && i < list.actions.size(); ++i)
        listing.entries[i].dataHash = list.actions[i];
    Keep(list.source, listing);
    auto previous = std::exchange(previous_, std::make_pair(list.source, listing));
    // The first list that could be read, or one from another source, is taken silently.
    if (!previous || previous->first != list.source) return;
    const ExclusionListSnapshot exclusions = ExclusionListSnapshot::Take();
    std::vector<Finding> findings;
    for (const EntryChange& task : AddedOrChangedEntries(previous->second, listing)) {
        std::string name = ReportedStartupEntry(ScheduledTaskName(task.entry.name), exclusions);
        if (name.empty()) continue;
        findings.push_back({FindingKind::Startup, std::move(name)});
        if (task.changed) findings.back().event = FindingEvent::Changed;
    }
    if (!findings.empty()) report_(findings);
}

}  // namespace vigilo
