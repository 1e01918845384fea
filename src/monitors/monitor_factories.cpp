#include "monitors/monitor_factories.h"

namespace vigilo {

const MonitorFactories& Factories() {
    static const MonitorFactories factories{};
    return factories;
}

}  // namespace vigilo
