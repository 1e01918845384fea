#include "monitors/scheduled_tasks.h"

#include <algorithm>
#include <optional>

#include "core/autostart_command.h"
#include "core/command_program.h"
#include "core/listing.h"
#include "monitors/startup_findings.h"
#include "monitors/ten_minute_tick.h"
#include "platform/task_scheduler.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

constexpr const char* kPlaceName = "Scheduled tasks";
constexpr const char* kWindowsOwnTasks = "\\MICROSOFT\\WINDOWS\\";
// The first entry of a listing names its source. No task's path is so named: every one begins with "\".
constexpr std::string_view kSourceMark = "?source=";
// By TaskSource.
constexpr const char* kSourceNames[] = {"task folder", "scheduler", "task cache"};
constexpr const char* kTaskFolder = kSourceNames[static_cast<int>(TaskSource::TaskFolder)];

std::string SourceEntry(const char* source) { return std::string(kSourceMark) + source; }

bool IsSourceEntry(const std::string& name) { return name.starts_with(kSourceMark); }

// The source that listed fresh; one kept by an earlier Vigilo, which names none, is the task folder.
std::string SourceOf(const Listing& listing) {
    for (const ListedEntry& entry : listing.entries)
        if (IsSourceEntry(entry.name)) return entry.name;
    return SourceEntry(kTaskFolder);
}

// Whether previous was listed from the source that listed fresh.
bool SameSource(const Listing& previous, const Listing& fresh) {
    const std::string source = SourceOf(fresh);
    if (!previous.hashed) return SourceOf(previous) == source;
    // Kept beyond its bounds, a listing holds its names' hashes only.
    return source == SourceEntry(kTaskFolder) ||
           std::binary_search(previous.nameHashes.begin(), previous.nameHashes.end(), NameHash(source));
}

// The wait of a place listed at every tick.
class TickWatch : public PlaceWatch {
public:
    TickWatch() : tick_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), subscription_(tick_.get()) {}
    bool Armed() const { return static_cast<bool>(tick_); }
    HANDLE Changed() const override { return tick_.get(); }
    void RearmChanged() override { ResetEvent(tick_.get()); }
    HANDLE Signal() const override { return nullptr; }
    void Rearm() override {}
    bool Gone() const override { return false; }

private:
    UniqueKernelHandle tick_;
    TickSubscription subscription_;  // goes before tick_, whose event it sets
};

class ScheduledTasksPlace : public Place {
public:
    std::string KeptName() const override { return kPlaceName; }
    bool Exists() const override { return true; }
    bool WaitUntilExists(const MonitorThread&, std::atomic<bool>&) const override { return true; }
    std::unique_ptr<PlaceWatch> Watch() const override {
        auto watch = std::make_unique<TickWatch>();
        return watch->Armed() ? std::move(watch) : nullptr;
    }
    Listing List(const Listing& previous) const override {
        // The task files first where they can be read (Wine; never a standard
        // user on Windows): the same list, without loading the scheduler's
        // client into Vigilo for good (5 MB under Wine, whose client cannot list anyway).
        if (auto tasks = TasksFromTaskFolder()) return TaskListing(TaskSource::TaskFolder, std::move(*tasks));
        if (auto tasks = TasksFromScheduler()) return TaskListing(TaskSource::Scheduler, std::move(*tasks));
        if (auto tasks = TasksFromTaskCache()) return TaskListing(TaskSource::TaskCache, std::move(*tasks));
        return previous;  // nothing can be read now: nothing is known to have changed
    }
    DWORD WaitSliceMs() const override { return INFINITE; }
};

}  // namespace

std::unique_ptr<Place> MakeScheduledTasksPlace() { return std::make_unique<ScheduledTasksPlace>(); }

Listing TaskListing(TaskSource source, std::vector<RegisteredTask> tasks) {
    Listing listing;
    listing.entries.push_back({SourceEntry(kSourceNames[static_cast<int>(source)])});
    for (RegisteredTask& task : tasks) {
        ListedEntry entry{std::move(task.path)};
        // A definition that could not be read tells no programs: 0, never compared.
        if (task.commands) {
            entry.dataHash = TaskActionsHash(*task.commands);
            // The Command of an Exec action is a program's path alone.
            if (!task.commands->empty()) entry.command = QuotedProgram(task.commands->front());
        }
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}


std::vector<Finding> NewOrChangedTasks(const RoundSight& sight) {
    if (!SameSource(sight.previous, sight.fresh)) return {};
    std::vector<EntryChange> changes = AddedOrChangedEntries(sight.previous, sight.fresh);
    std::erase_if(changes, [](const EntryChange& change) { return IsSourceEntry(change.entry.name); });
    return StartupFindings(sight, StartupEntriesOf(changes, [](const EntryChange& change) {
                               const ListedEntry& task = change.entry;
                               return StartupEntry{ScheduledTaskName(task.name), task.name, false, task.command};
                           }));
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

std::string ScheduledTaskName(const std::string& path) {
    if (UpperCaseAscii(path).rfind(kWindowsOwnTasks, 0) == 0) return {};
    const size_t last = path.find_last_of('\\');
    return last == std::string::npos ? path : path.substr(last + 1);
}

}  // namespace vigilo
