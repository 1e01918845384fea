#pragma once
// How the start-up handler creates each kind of monitor. Each factory
// returns a thread created suspended with its key or folder and an empty
// snapshot, or null when the thread could not be created.
#include "app/monitor_groups.h"

namespace vigilo {

struct MonitorFactories {
    MonitorFactory startup = nullptr;
    MonitorFactory newProgram = nullptr;
    MonitorFactory internetExplorer = nullptr;
    MonitorFactory folder = nullptr;
};

const MonitorFactories& Factories();

}  // namespace vigilo
