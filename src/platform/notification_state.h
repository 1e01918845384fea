#pragma once
// What Windows says of notifications now: whether a full-screen Direct3D
// program, a presentation, quiet hours or the like make them unwelcome.
#include <windows.h>
#include <shellapi.h>

namespace vigilo {

// SHQueryUserNotificationState's answer; QUNS_ACCEPTS_NOTIFICATIONS when it gives none.
QUERY_USER_NOTIFICATION_STATE QueryNotificationState();

}  // namespace vigilo
