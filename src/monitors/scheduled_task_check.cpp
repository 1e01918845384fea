#include "monitors/scheduled_task_check.h"

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

TaskList ListScheduledTasks() {
    // The task files first where they can be read (Wine; never a standard
    // user on Windows): the same list, without loading the scheduler's client
    // into Vigilo for good (5 MB under Wine, whose client cannot list anyway).
    if (auto paths = TaskPathsFromTaskFolder()) return {TaskListSource::TaskFolder, std::move(*paths)};
    if (auto paths = TaskPathsFromScheduler()) return {TaskListSource::Scheduler, std::move(*paths)};
    if (auto paths = TaskPathsFromTaskCache()) return {TaskListSource::TaskCache, std::move(*paths)};
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

void ScheduledTaskCheck::Keep(const TaskList& list) {
    if (!kept_ || (lastKept_ && lastKept_->source == list.source && lastKept_->paths == list.paths)) return;
    kept_->Save(KeptPlace(list.source), {KeptListing::Kind::Listed, ListingOf(list.paths)});
    lastKept_ = list;
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
    Keep(list);
    Listing listing = ListingOf(list.paths);
    auto previous = std::exchange(previous_, std::make_pair(list.source, listing));
    // The first list that could be read, or one from another source, is taken silently.
    if (!previous || previous->first != list.source) return;
    std::vector<std::string> names;
    for (const ListedEntry& task : AddedEntries(previous->second, listing))
        if (std::string name = ReportedStartupEntry(ScheduledTaskName(task.name)); !name.empty()) names.push_back(name);
    if (!names.empty()) report_(names);
}

}  // namespace vigilo
