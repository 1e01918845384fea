#pragma once
// What each slot watches and what a finding becomes: the monitors report
// through their OnFound callbacks, and the functions here create each
// monitor for its slot and wire its findings to the window that shows them.
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "app/monitor_groups.h"
#include "core/path_set.h"
#include "monitors/folder_monitor.h"
#include "monitors/junk_check.h"
#include "monitors/registry_monitor.h"
#include "monitors/scheduled_task_check.h"

namespace vigilo {

// The program's slots, with the folders of paths. With profilesChanged, the
// Extension group also watches where browser profiles come and go, and calls
// it on the main thread after each change.
std::vector<MonitorSlot> MonitorSlots(const PathSet& paths, const std::function<void()>& profilesChanged = {});

// Gives each profile of paths its extensions folder's slot, and takes the
// slot of a profile no longer there; a running group starts and stops their
// threads at once. The profiles found later count toward the cap of
// kMostProfilesPerBrowser, as paths holds no more. whileRunning: the profiles
// are new to this run, so what their folders hold already is reported.
void UpdateProfileSlots(MonitorGroups& groups, const PathSet& paths, bool whileRunning);

// Creates a registry monitor suspended and gives it the slot's root, key,
// view and an empty snapshot; null when the thread could not be created.
template <typename Monitor>
std::unique_ptr<Monitor> NewRegistryMonitor(const MonitorSlot& slot) {
    static_assert(std::is_base_of_v<TRegistryMonitorThread, Monitor>);
    auto monitor = std::make_unique<Monitor>();
    if (!monitor->CreateSuspended()) return nullptr;
    monitor->RootKey = slot.root;
    monitor->KeyPath = slot.keyOrFolder;
    monitor->View = slot.view;
    monitor->Snapshot.clear();
    return monitor;
}

// NewRegistryMonitor as a MonitorFactory, for a monitor that needs no wiring.
template <typename Monitor>
std::unique_ptr<TThread> CreateRegistryMonitor(const MonitorSlot& slot) {
    return NewRegistryMonitor<Monitor>(slot);
}

// Creates a folder monitor suspended and gives it the slot's folder and an
// empty snapshot; null when the thread could not be created.
template <typename Monitor>
std::unique_ptr<Monitor> NewFolderMonitor(const MonitorSlot& slot) {
    static_assert(std::is_base_of_v<TFolderMonitorThread, Monitor>);
    auto monitor = std::make_unique<Monitor>();
    if (!monitor->CreateSuspended()) return nullptr;
    monitor->WatchFolder = slot.keyOrFolder;
    monitor->Snapshot.clear();
    monitor->ArrivedAtStart = slot.foundWhileRunning;
    return monitor;
}

// The new-program monitor, its findings shown in the modal new-program window.
std::unique_ptr<TThread> CreateNewProgramMonitor(const MonitorSlot& slot);
// The startup-entry monitor, its findings shown in the startup window for 20 seconds.
std::unique_ptr<TThread> CreateStartupMonitor(const MonitorSlot& slot);
// The Startup folder monitor, its findings shown in the startup window for 20 seconds.
std::unique_ptr<TThread> CreateStartupFolderMonitor(const MonitorSlot& slot);
// The service monitor, its findings shown in the startup window for 20 seconds.
std::unique_ptr<TThread> CreateServiceMonitor(const MonitorSlot& slot);
// The monitor of a browser's extensions forced in by policy (the slot names
// the browser), its findings shown in the extension window for 20 seconds.
std::unique_ptr<TThread> CreateForcedExtensionMonitor(const MonitorSlot& slot);
// The Internet Explorer extension monitor for the slot's key and view, its
// findings shown in the extension window for 20 seconds.
std::unique_ptr<TThread> CreateInternetExplorerMonitor(const MonitorSlot& slot);
// The Firefox or Chrome extension monitor for the slot's folder, its
// findings shown in the extension window for 20 seconds.
std::unique_ptr<TThread> CreateExtensionFolderMonitor(const MonitorSlot& slot);

// The watch of a Chromium browser's "User Data" folder, for profile folders
// that come and go, and of Firefox's folder, for profiles.ini; each calls
// the slot's onChanged.
std::unique_ptr<TThread> CreateProfileFoldersWatch(const MonitorSlot& slot);
std::unique_ptr<TThread> CreateProfileListWatch(const MonitorSlot& slot);

// The check for new scheduled tasks, its findings shown in the startup window for 20 seconds.
std::unique_ptr<ScheduledTaskCheck> CreateScheduledTaskCheck();

// The junk check over the cache folders of paths, with the browser profiles
// there are at each tick, its findings shown in the junk window for 20 seconds.
std::unique_ptr<JunkCheck> CreateJunkCheck(const PathSet& paths);

}  // namespace vigilo
