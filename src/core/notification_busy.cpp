#include "core/notification_busy.h"

namespace vigilo {
namespace {

bool g_notificationBusy = false;

class BusyScope {
public:
    BusyScope() { g_notificationBusy = true; }
    ~BusyScope() { g_notificationBusy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

}  // namespace

bool NotificationBusy() { return g_notificationBusy; }

void SetNotificationBusy(bool busy) { g_notificationBusy = busy; }

bool RunNotification(const std::function<void()>& show) {
    if (g_notificationBusy) return false;
    BusyScope busy;
    show();
    return true;
}

}  // namespace vigilo
