#include "monitors/scheduled_task_check.h"

#include "monitors/running_scope.h"
#include "monitors/startup_entry_rules.h"
#include "monitors/string_list.h"
#include "platform/task_scheduler.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr const char* kWindowsOwnTasks = "\\MICROSOFT\\WINDOWS\\";
// The kept list's place name: no key or folder is named so.
constexpr const char* kKeptPlace = "Scheduled tasks";

}  // namespace

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
    if (kept_ && kept_->CatchUpPending(kKeptPlace)) {
        KeptListing kept = kept_->Load(kKeptPlace);
        if (kept.kind == KeptListing::Kind::Names) {
            lastKept_ = kept.names;
            previous_ = std::move(kept.names);
            catchingUp_ = true;
            return true;
        }
    }
    TaskList list = lister_();
    if (list.source == TaskListSource::None) {
        previous_.reset();
    } else {
        Keep(list.paths);
        previous_ = std::move(list.paths);
    }
    return false;
}

void ScheduledTaskCheck::Stop() {
    started_ = false;
    catchingUp_ = false;  // left to the next start
    previous_.reset();
}

void ScheduledTaskCheck::Keep(const std::vector<std::string>& paths) {
    if (!kept_ || lastKept_ == paths) return;
    kept_->Save(kKeptPlace, {KeptListing::Kind::Names, paths});
    lastKept_ = paths;
}

void ScheduledTaskCheck::Run() {
    if (!started_ || running_) return;
    // Listing through the scheduler and the window both let ticks in.
    const RunningScope running(running_);
    TaskList list = lister_();
    if (list.source == TaskListSource::None) return;
    // The first list that could be read becomes the one to compare with.
    if (!previous_) {
        Keep(list.paths);
        previous_ = std::move(list.paths);
        return;
    }
    const StringList added = AddedNames(*previous_, list.paths);
    Keep(list.paths);
    previous_ = std::move(list.paths);
    if (catchingUp_) kept_->MarkCaughtUp(kKeptPlace);
    catchingUp_ = false;
    std::vector<std::string> names;
    for (const std::string& path : added)
        if (std::string name = ReportedStartupEntry(ScheduledTaskName(path)); !name.empty()) names.push_back(name);
    if (!names.empty()) report_(names);
}

}  // namespace vigilo
