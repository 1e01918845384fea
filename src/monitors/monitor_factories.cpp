#include "monitors/monitor_factories.h"

namespace vigilo {

const MonitorFactories& Factories() {
    static const MonitorFactories factories{
        .startup = nullptr,
        .newProgram = nullptr,
        .internetExplorer = nullptr,
        .folder = nullptr,
    };
    return factories;
}

}  // namespace vigilo
