#pragma once
// The three groups of watches and their slots, one per watched place (a
// registry key in one view, or a folder), whether it exists or not (a watch
// waits for a missing one). Restart stops each running group (its watches
// end at once, being told to) and starts it again with new watches when its
// setting is on. While the groups run, slots come and go with the browser
// profiles (AddSlot, RemoveSlots). Threads are never freed while they may
// still run; a replaced thread is freed once it has ended.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitors/place.h"
#include "monitors/watch_kinds.h"
#include "platform/monitor_thread.h"

namespace vigilo {

// The groups a notifier setting switches on and off together, each named by
// its finding kind: new programs, startup entries, extensions (with the
// watches of where browser profiles come and go).
inline constexpr FindingKind kMonitorGroups[] = {FindingKind::Startup, FindingKind::Program, FindingKind::Extension};

struct MonitorSlot {
    // A place of a watch kind, or of a profile watch.
    const WatchKind* kind = nullptr;
    const ProfileWatchKind* profiles = nullptr;
    PlaceSpec place;
    // Found while the group runs (a browser profile made meanwhile): what its
    // folder holds already is reported. Cleared once started, so a restart
    // compares with what its watch kept.
    bool foundWhileRunning = false;

    FindingKind Group() const { return kind ? kind->finding : FindingKind::Extension; }
};

// Creates a slot's watch suspended; null when the thread could not be created.
using MonitorFactory = std::function<std::unique_ptr<MonitorThread>(const MonitorSlot& slot)>;

class MonitorGroups {
public:
    MonitorGroups(std::vector<MonitorSlot> slots, MonitorFactory create);
    // Frees the threads that have ended; the others keep running and are
    // left to end with the process.
    ~MonitorGroups();
    MonitorGroups(const MonitorGroups&) = delete;
    MonitorGroups& operator=(const MonitorGroups&) = delete;

    // Stops and restarts the groups per the current settings. A group whose
    // setting cannot be read stays stopped, and the others go on; the text of
    // the first such error is returned (empty when none).
    std::string Restart();
    bool Running(FindingKind group) const { return running_[static_cast<int>(group)]; }
    // Threads held in the slots right now (running or ended).
    std::vector<MonitorThread*> Threads() const;
    const std::vector<MonitorSlot>& Slots() const { return slots_; }
    // Adds a slot; its thread starts at once when its group runs.
    void AddSlot(MonitorSlot slot);
    // Removes the slots drop picks; their threads are told to terminate.
    void RemoveSlots(const std::function<bool(const MonitorSlot&)>& drop);

private:
    void Stop(FindingKind group);
    void Start(FindingKind group);
    void StartSlot(size_t index);
    void FreeEndedThreads();

    MonitorFactory create_;
    std::vector<MonitorSlot> slots_;
    std::vector<std::unique_ptr<MonitorThread>> threads_;  // one per slot
    std::vector<std::unique_ptr<MonitorThread>> retired_;  // asked to terminate, not yet ended
    std::array<bool, std::size(kFindingKinds)> running_{};
};

}  // namespace vigilo
