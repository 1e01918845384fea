#include "platform/notification_state.h"

namespace vigilo {

QUERY_USER_NOTIFICATION_STATE QueryNotificationState() {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    if (FAILED(SHQueryUserNotificationState(&state))) return QUNS_ACCEPTS_NOTIFICATIONS;
    return state;
}

}  // namespace vigilo
