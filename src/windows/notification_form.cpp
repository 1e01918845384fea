#include "windows/notification_form.h"

#include <windowsx.h>

#include "platform/message_loop.h"
#include "windows/launch_companion.h"
#include "core/settings_store.h"

namespace vigilo {
namespace {
// Gap left of the close cross that stays client area, so the cross gets its clicks.
constexpr int kTopButtonMargin = 5;
// Distance of the window from the screen's right and bottom edges.
constexpr int kRightMargin = 5;
constexpr int kBottomMargin = 60;
}  // namespace

void NotificationForm::ShowForm() { Show(false); }

void NotificationForm::OnShow() {
    Place();
    FillControls();
}

void NotificationForm::Place() {
    // The primary screen's full size; the taskbar is not consulted.
    const int left = GetSystemMetrics(SM_CXSCREEN) - constants_.frame.width - kRightMargin;
    const int top = GetSystemMetrics(SM_CYSCREEN) - constants_.frame.height - kBottomMargin;
    // Topmost from the start, not only on activation: Windows may refuse a
    // background process the activation, and the window would open behind
    // the installer's.
    SetWindowPos(Handle(), HWND_TOPMOST, left, top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void NotificationForm::StayOnTop() {
    if (!Handle()) return;
    RECT r;
    GetWindowRect(Handle(), &r);
    SetWindowPos(Handle(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT NotificationForm::WMNCHitTest(int x, int y, LRESULT defaultResult) const {
    RECT window;
    GetWindowRect(Handle(), &window);
    const int stripRight = window.left + (TopButton ? TopButton->Bounds().left : constants_.frame.width) -
                           kTopButtonMargin;
    if (y < window.top + constants_.firstLabelTop && x < stripRight) return HTCAPTION;
    return defaultResult;
}

void NotificationForm::CloseForm() {
    // An unticked box leaves the setting as it is: Purgeon may have switched
    // the notifications off while the window was up.
    if (Check1 && Check1->Checked()) WriteBool(kSettingsRoot, kSettingsKey, constants_.setting, false);
}

void NotificationForm::LaunchAndClose() {
    if (launching_) return;
    launching_ = true;
    // While the information window is up, this window takes no clicks, as
    // under a modal window: no second launch, no close beneath it. It closes
    // once the user has closed the information window; a window gone
    // meanwhile, or a shutdown, closes nothing and writes nothing.
    EnableWindow(Handle(), FALSE);
    const auto close = [this, alive = std::weak_ptr<const bool>(alive_)] {
        if (alive.expired()) return;
        EnableWindow(Handle(), TRUE);
        launching_ = false;
        Close();
    };
    if (!LaunchCompanion(Handle(), constants_.linkParameters, close)) close();
}

LRESULT NotificationForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        StayOnTop();  // on activation and on deactivation alike
        break;
    case WM_NCHITTEST:
        return WMNCHitTest(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), Form::OnMessage(msg, wp, lp));
    }
    return Form::OnMessage(msg, wp, lp);
}

}  // namespace vigilo
