#pragma once
// How the start-up handler creates each kind of monitor. Each factory
// returns a thread created suspended with its key or folder and an empty
// snapshot, or null when the thread could not be created. A monitor kind is
// registered by setting its entry in Factories() (monitor_factories.cpp),
// for a registry monitor to &CreateRegistryMonitor<TItsThread>.
#include <memory>
#include <string>
#include <type_traits>

#include "app/monitor_groups.h"
#include "monitors/registry_monitor.h"

namespace vigilo {

struct MonitorFactories {
    MonitorFactory startup = nullptr;
    MonitorFactory newProgram = nullptr;
    MonitorFactory internetExplorer = nullptr;
    MonitorFactory folder = nullptr;
};

const MonitorFactories& Factories();

// Creates a registry monitor suspended and gives it its root, key and an
// empty snapshot; null when the thread could not be created.
template <typename Monitor>
TThread* CreateRegistryMonitor(HKEY root, const std::string& keyPath) {
    static_assert(std::is_base_of_v<TRegistryMonitorThread, Monitor>);
    auto monitor = std::make_unique<Monitor>();
    if (!monitor->CreateSuspended()) return nullptr;
    monitor->RootKey = root;
    monitor->KeyPath = keyPath;
    monitor->Snapshot.clear();
    return monitor.release();
}

}  // namespace vigilo
