#pragma once
// The three groups of monitor threads and their slots, one per watched
// registry key (in one registry view) or folder, whether it exists or not (a
// monitor waits for a missing one). Restart stops each running group (its
// threads end at their next check) and starts it again with new threads when
// its setting is on. While the groups run, slots come and go with the
// browser profiles (AddSlot, RemoveSlots). Threads are never freed while
// they may still run; a replaced thread is freed once it has ended.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/thread.h"

namespace vigilo {

enum class MonitorGroup { Startup, NewProgram, Extension, Count };

struct MonitorSlot;
// Creates a monitor suspended, with the slot's key or folder and an empty
// snapshot set; null when the thread could not be created.
using MonitorFactory = std::unique_ptr<TThread> (*)(const MonitorSlot& slot);

struct MonitorSlot {
    MonitorGroup group;
    HKEY root;               // null for a folder monitor
    std::string keyOrFolder;
    MonitorFactory create;   // null while no monitor of this kind exists
    RegistryView view = RegistryView::k64Bit;
    // An extensions folder's browser as the extension window names it;
    // empty: told by the folder's path.
    std::string browserName = {};
    // A profile's extensions folder found by a profile scan; replaced as
    // profiles come and go.
    bool fromProfileScan = false;
    // Found while the group runs: the monitor it starts reports what the
    // folder holds already. Cleared once started, so a restart takes it as
    // the baseline.
    bool foundWhileRunning = false;
    // What a watch of where profiles come and go calls on the main thread
    // after a change.
    std::function<void()> onChanged = {};
};

class MonitorGroups {
public:
    // The slots are taken at the first Restart, from slots(): the folders
    // come from the path set, which is ready by then.
    explicit MonitorGroups(std::function<std::vector<MonitorSlot>()> slots);
    // Given slots, for a program variant or a test.
    explicit MonitorGroups(std::vector<MonitorSlot> slots);
    // Frees the threads that have ended; the others keep running and are
    // left to end with the process.
    ~MonitorGroups();
    MonitorGroups(const MonitorGroups&) = delete;
    MonitorGroups& operator=(const MonitorGroups&) = delete;

    // Stops and restarts the groups per the current settings. Throws
    // SettingsError when a notifier setting has the wrong type; the groups
    // handled before it keep their new state.
    void Restart();
    // Asks every thread of every running group to terminate; does not wait.
    void StopAll();
    bool Running(MonitorGroup group) const { return running_[static_cast<int>(group)]; }
    // Threads held in the slots right now (running or ended).
    std::vector<TThread*> Threads() const;
    const std::vector<MonitorSlot>& Slots() const { return slots_; }
    // Adds a slot; its thread starts at once when its group runs.
    void AddSlot(MonitorSlot slot);
    // Removes the slots drop picks; their threads are told to terminate.
    void RemoveSlots(const std::function<bool(const MonitorSlot&)>& drop);

private:
    void Stop(MonitorGroup group);
    void Start(MonitorGroup group);
    void StartSlot(size_t index);
    void FreeEndedThreads();

    std::function<std::vector<MonitorSlot>()> slotsSource_;
    std::vector<MonitorSlot> slots_;
    std::vector<std::unique_ptr<TThread>> threads_;  // one per slot
    std::vector<std::unique_ptr<TThread>> retired_;  // asked to terminate, not yet ended
    std::array<bool, static_cast<int>(MonitorGroup::Count)> running_{};
};

}  // namespace vigilo
