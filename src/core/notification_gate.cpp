#include "core/notification_gate.h"

#include "platform/foreground_full_screen.h"
#include "platform/notification_state.h"

namespace vigilo {

bool StateRefusesNotifications(QUERY_USER_NOTIFICATION_STATE state) {
    return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE ||
           state == QUNS_QUIET_TIME;
}

namespace {
// QUNS_APP (Windows 8 and later): a store app runs in front.
constexpr auto kStateApp = static_cast<QUERY_USER_NOTIFICATION_STATE>(7);
}  // namespace

bool FullScreenBy(QUERY_USER_NOTIFICATION_STATE state, ForegroundShape foreground) {
    if (foreground == ForegroundShape::FullScreen) return true;
    if (state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN) return true;
    // A store app reports this state even in a window of its own; only one
    // that fills its monitor is a full-screen program.
    return state == kStateApp && foreground != ForegroundShape::Other;
}

NotificationGate::NotificationGate()
    : NotificationGate(Seams{&QueryNotificationState, &ForegroundWindowShape, &GetTickCount64}) {}

NotificationGate::NotificationGate(Seams seams) : seams_(std::move(seams)) {}

bool NotificationGate::Unwelcome() const {
    const QUERY_USER_NOTIFICATION_STATE state = seams_.notificationState();
    return StateRefusesNotifications(state) || FullScreenBy(state, seams_.foreground());
}

bool NotificationGate::FullScreenInFront() const {
    return FullScreenBy(seams_.notificationState(), seams_.foreground());
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

bool FullScreenProgramInFront() { return NotificationGate().FullScreenInFront(); }

}  // namespace vigilo
