#include "core/notification_gate.h"

#include "platform/foreground_full_screen.h"
#include "platform/notification_state.h"

namespace vigilo {

bool StateRefusesNotifications(QUERY_USER_NOTIFICATION_STATE state) {
    return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE ||
           state == QUNS_QUIET_TIME;
}

NotificationGate::NotificationGate()
    : NotificationGate(Seams{&QueryNotificationState, &ForegroundIsFullScreen, &GetTickCount64}) {}

NotificationGate::NotificationGate(Seams seams) : seams_(std::move(seams)) {}

bool NotificationGate::Unwelcome() const {
    return StateRefusesNotifications(seams_.notificationState()) || seams_.fullScreenInFront();
}

void NotificationGate::Hold(FindingKind kind, std::function<void()> show) {
    std::erase_if(held_, [kind](const Held& held) { return held.kind == kind; });
    held_.push_back({kind, seams_.clock(), std::move(show)});
}

std::function<void()> NotificationGate::TakeDue() {
    const ULONGLONG now = seams_.clock();
    std::erase_if(held_, [now](const Held& held) { return now - held.since >= kLongestNotificationWaitMs; });
    if (held_.empty() || Unwelcome()) return {};
    std::function<void()> first = std::move(held_.front().show);
    held_.clear();
    return first;
}

}  // namespace vigilo
