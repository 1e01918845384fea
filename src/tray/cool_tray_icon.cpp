#include "tray/cool_tray_icon.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/messages.h"
#include "platform/message_loop.h"
#include "platform/text.h"

namespace vigilo {
namespace {

UINT g_nextIconId = 1;

// Raises an event through a copy, since the handler may destroy the icon
// (and with it the std::function being called).
template <typename Event, typename... Args>
void Raise(const Event& event, Args... args) {
    if (!event) return;
    const Event handler = event;
    handler(args...);
}

TShiftState KeyShiftState() {
    TShiftState state = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0) state |= ssShift;
    if (GetAsyncKeyState(VK_MENU) < 0) state |= ssAlt;
    if (GetAsyncKeyState(VK_CONTROL) < 0) state |= ssCtrl;
    return state;
}

POINT CursorPos() {
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor;
}

}  // namespace

TCoolTrayIcon::TCoolTrayIcon(HWND owner)
    : owner_(owner),
      iconId_(g_nextIconId++),
      cycleTimer_([this] { CycleStep(); }),
      clickTimer_([this] { ClickTimeout(); }),
      exitTimer_([this] { ExitPoll(); }) {
    handler_->Register(this);
    iconData_.cbSize = kTrayIconDataSize;
    iconData_.hWnd = handler_->Handle();
    iconData_.uID = iconId_;
    iconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    iconData_.uCallbackMessage = kMsgTrayCallback;
}

TCoolTrayIcon::~TCoolTrayIcon() {
    lifeToken_.reset();
    // No notification may reach the icon from here on, not even one the
    // shell sends while it is being asked to remove the icon.
    handler_->Unregister(this);
    RemoveFromTray();
}

void TCoolTrayIcon::SetHint(const std::string& hint) {
    hint_ = FirstCharacters(hint, kMaxHintLength);
    RefreshTray();
}

void TCoolTrayIcon::SetShowHint(bool showHint) {
    showHint_ = showHint;
    RefreshTray();
}

void TCoolTrayIcon::SetIcon(HICON icon) {
    icon_.reset(icon ? CopyIcon(icon) : nullptr);
    RefreshTray();
}

void TCoolTrayIcon::SetIconVisible(bool visible) {
    if (visible)
        AddToTray();
    else
        RemoveFromTray();
}

void TCoolTrayIcon::SetIconIndex(int index) {
    if (iconList_.empty()) {
        iconIndex_ = 0;
    } else {
        iconIndex_ = std::clamp(index, 0, static_cast<int>(iconList_.size()) - 1);
        HICON image = iconList_[static_cast<size_t>(iconIndex_)].get();
        icon_.reset(image ? CopyIcon(image) : nullptr);
    }
    RefreshTray();
}

void TCoolTrayIcon::SetIconList(std::vector<UniqueIcon> icons) {
    iconList_ = std::move(icons);
    SetIconIndex(0);
}

void TCoolTrayIcon::SetCycleIcons(bool cycle) {
    cycleIcons_ = cycle;
    ApplyCycleIcons();
}

void TCoolTrayIcon::SetCycleInterval(UINT intervalMs) {
    cycleInterval_ = intervalMs;
    ApplyCycleIcons();
}

void TCoolTrayIcon::ApplyCycleIcons() {
    if (cycleIcons_) {
        SetIconIndex(0);
        cycleTimer_.Start(cycleInterval_);
    } else {
        cycleTimer_.Stop();
    }
}

void TCoolTrayIcon::SetWantEnterExitEvents(bool want) {
    wantEnterExitEvents_ = want;
    if (want)
        exitTimer_.Start(kExitPollMs);
    else
        exitTimer_.Stop();
}

void TCoolTrayIcon::PrepareIconData() {
    iconData_.hIcon = icon_.get();
    std::memset(iconData_.szTip, 0, sizeof(iconData_.szTip));
    if (!hint_.empty() && showHint_) {
        const std::wstring tip = Utf16(FirstCharacters(hint_, std::size(iconData_.szTip) - 1));
        std::memcpy(iconData_.szTip, tip.data(), tip.size() * sizeof(wchar_t));
    }
}

bool TCoolTrayIcon::AddToTray() {
    iconVisible_ = true;
    PrepareIconData();
    return NotifyShell(NIM_ADD, iconData_);
}

bool TCoolTrayIcon::RemoveFromTray() {
    iconVisible_ = false;
    PrepareIconData();
    return NotifyShell(NIM_DELETE, iconData_);
}

bool TCoolTrayIcon::RefreshTray() {
    PrepareIconData();
    return NotifyShell(NIM_MODIFY, iconData_);
}

void TCoolTrayIcon::HandleTaskbarCreated() {
    if (iconVisible_) AddToTray();
}

void TCoolTrayIcon::HandleTrayNotification(UINT notification) {
    switch (notification) {
        case NIN_BALLOONHIDE:
            Raise(OnBalloonHintHide);
            return;
        case NIN_BALLOONTIMEOUT:
            Raise(OnBalloonHintTimeout);
            return;
        case NIN_BALLOONUSERCLICK:
            Raise(OnBalloonHintClick);
            return;
        default:
            break;
    }
    if (!enabled_) return;

    const POINT cursor = CursorPos();
    const TShiftState keys = KeyShiftState();
    const std::weak_ptr<int> alive = lifeToken_;
    switch (notification) {
        case WM_MOUSEMOVE:
            if (wantEnterExitEvents_ && mouseOutside_) {
                FireMouseEnter();
                if (alive.expired()) return;
                mouseOutside_ = false;
            }
            lastCursorPos_ = cursor;
            FireMouseMove(keys, cursor.x, cursor.y);
            break;
        case WM_LBUTTONDOWN:
            if (OnDblClick) clickTimer_.Start(GetDoubleClickTime());
            FireMouseDown(TMouseButton::Left, keys | ssLeft, cursor.x, cursor.y);
            if (alive.expired()) return;
            clickStarted_ = true;
            if (leftPopup_) ShowMenuAtCursor();
            break;
        case WM_LBUTTONUP:
            if (clickStarted_) clickPending_ = true;
            if (clickStarted_ && !clickTimer_.Active()) {
                clickStarted_ = false;
                clickPending_ = false;
                FireClick();
                if (alive.expired()) return;
            }
            clickStarted_ = false;
            FireMouseUp(TMouseButton::Left, keys | ssLeft, cursor.x, cursor.y);
            break;
        case WM_LBUTTONDBLCLK:
            clickPending_ = false;
            dblClickSeen_ = true;
            FireDblClick();
            if (alive.expired()) return;
            if (popupMenu_ && !leftPopup_) ClickDefaultMenuItem();
            break;
        case WM_RBUTTONDOWN:
            FireMouseDown(TMouseButton::Right, keys | ssRight, cursor.x, cursor.y);
            if (alive.expired()) return;
            ShowMenuAtCursor();
            break;
        case WM_RBUTTONUP:
            FireMouseUp(TMouseButton::Right, keys | ssRight, cursor.x, cursor.y);
            break;
        case WM_MBUTTONDOWN:
            FireMouseDown(TMouseButton::Middle, keys | ssMiddle, cursor.x, cursor.y);
            break;
        case WM_MBUTTONUP:
            FireMouseUp(TMouseButton::Middle, keys | ssMiddle, cursor.x, cursor.y);
            break;
        default:
            break;
    }
}

void TCoolTrayIcon::ClickTimeout() {
    clickTimer_.Stop();
    if (!dblClickSeen_ && clickPending_) {
        clickPending_ = false;
        const std::weak_ptr<int> alive = lifeToken_;
        FireClick();
        if (alive.expired()) return;
    }
    dblClickSeen_ = false;
}

void TCoolTrayIcon::ExitPoll() {
    if (mouseOutside_) return;
    const POINT cursor = CursorPos();
    if (cursor.x == lastCursorPos_.x && cursor.y == lastCursorPos_.y) return;
    mouseOutside_ = true;
    FireMouseExit();
}

void TCoolTrayIcon::CycleStep() {
    if (iconList_.empty()) return;
    const int next = iconIndex_ + 1 >= static_cast<int>(iconList_.size()) ? 0 : iconIndex_ + 1;
    const std::weak_ptr<int> alive = lifeToken_;
    FireCycle(next);
    if (alive.expired()) return;
    SetIconIndex(next);
}

HWND TCoolTrayIcon::MenuOwner() const { return owner_ && IsWindow(owner_) ? owner_ : handler_->Handle(); }

void TCoolTrayIcon::ShowMenuAtCursor() {
    POINT cursor{};
    if (!popupMenu_ || !GetCursorPos(&cursor)) return;
    // Locals from here on: a menu item's handler may destroy this icon.
    const HMENU menu = popupMenu_;
    const HWND owner = MenuOwner();
    const HWND postTo = owner_;
    const std::weak_ptr<int> alive = lifeToken_;

    // A popup menu closes on a click outside it only while its owner is the
    // foreground window; otherwise it would stay open over other programs.
    SetForegroundWindow(owner);
    ProcessMessages();
    if (alive.expired()) return;

    // The command comes back here and is sent at once, so the chosen item's
    // handler has run when this returns.
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, 0, owner, nullptr));
    if (command != 0) SendMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);

    // Without a message to the owner after the menu, the next time the menu
    // opens it would close at once.
    if (postTo && IsWindow(postTo)) PostMessageW(postTo, WM_NULL, 0, 0);
}

void TCoolTrayIcon::ClickDefaultMenuItem() {
    const UINT command = GetMenuDefaultItem(popupMenu_, FALSE, 0);
    if (command == static_cast<UINT>(-1)) return;
    SendMessageW(MenuOwner(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void TCoolTrayIcon::FireClick() { Raise(OnClick); }
void TCoolTrayIcon::FireDblClick() { Raise(OnDblClick); }
void TCoolTrayIcon::FireCycle(int nextIndex) { Raise(OnCycle, nextIndex); }
void TCoolTrayIcon::FireMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    Raise(OnMouseDown, button, shift, x, y);
}
void TCoolTrayIcon::FireMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    Raise(OnMouseUp, button, shift, x, y);
}
void TCoolTrayIcon::FireMouseMove(TShiftState shift, int x, int y) { Raise(OnMouseMove, shift, x, y); }
void TCoolTrayIcon::FireMouseEnter() { Raise(OnMouseEnter); }
void TCoolTrayIcon::FireMouseExit() { Raise(OnMouseExit); }

}  // namespace vigilo
