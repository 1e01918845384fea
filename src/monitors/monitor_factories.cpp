#include "monitors/monitor_factories.h"

#include "monitors/app_mon_thread.h"

namespace vigilo {

const MonitorFactories& Factories() {
    static const MonitorFactories factories{
        .startup = nullptr,
        .newProgram = &CreateRegistryMonitor<TAppMonThread>,
        .internetExplorer = nullptr,
        .folder = nullptr,
    };
    return factories;
}

}  // namespace vigilo
