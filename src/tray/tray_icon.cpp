#include "tray/tray_icon.h"

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

ModifierKeys KeyShiftState() {
    ModifierKeys state = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0) state |= kShiftHeld;
    if (GetAsyncKeyState(VK_MENU) < 0) state |= kAltHeld;
    if (GetAsyncKeyState(VK_CONTROL) < 0) state |= kCtrlHeld;
    return state;
}

POINT CursorPos() {
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor;
}

}  // namespace

TrayIcon::TrayIcon(HWND owner)
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

TrayIcon::~TrayIcon() {
    lifeToken_.reset();
    // No notification may reach the icon from here on, not even one the
    // shell sends while it is being asked to remove the icon.
    handler_->Unregister(this);
    RemoveFromTray();
}

void TrayIcon::SetHint(const std::string& hint) {
    hint_ = FirstCharacters(hint, kMaxHintLength);
    RefreshTray();
}

void TrayIcon::SetShowHint(bool showHint) {
    showHint_ = showHint;
    RefreshTray();
}

void TrayIcon::SetIcon(HICON icon) {
    icon_.reset(icon ? CopyIcon(icon) : nullptr);
    RefreshTray();
}

void TrayIcon::SetIconVisible(bool visible) {
    if (visible)
        AddToTray();
    else
        RemoveFromTray();
}

void TrayIcon::SetIconIndex(int index) {
    if (iconList_.empty()) {
        iconIndex_ = 0;
    } else {
        iconIndex_ = std::clamp(index, 0, static_cast<int>(iconList_.size()) - 1);
        HICON image = iconList_[static_cast<size_t>(iconIndex_)].get();
        icon_.reset(image ? CopyIcon(image) : nullptr);
    }
    RefreshTray();
}

void TrayIcon::SetIconList(std::vector<UniqueIcon> icons) {
    iconList_ = std::move(icons);
    SetIconIndex(0);
}

void TrayIcon::SetCycleIcons(bool cycle) {
    cycleIcons_ = cycle;
    ApplyCycleIcons();
}

void TrayIcon::SetCycleInterval(UINT intervalMs) {
    cycleInterval_ = intervalMs;
    ApplyCycleIcons();
}

void TrayIcon::ApplyCycleIcons() {
    if (cycleIcons_) {
        SetIconIndex(0);
        cycleTimer_.Start(cycleInterval_);
    } else {
        cycleTimer_.Stop();
    }
}

void TrayIcon::SetWantEnterExitEvents(bool want) {
    wantEnterExitEvents_ = want;
    if (want)
        exitTimer_.Start(kExitPollMs);
    else
        exitTimer_.Stop();
}

void TrayIcon::PrepareIconData() {
    iconData_.hIcon = icon_.get();
    std::memset(iconData_.szTip, 0, sizeof(iconData_.szTip));
    if (!hint_.empty() && showHint_) {
        const std::wstring tip = Utf16(FirstCharacters(hint_, std::size(iconData_.szTip) - 1));
        std::memcpy(iconData_.szTip, tip.data(), tip.size() * sizeof(wchar_t));
    }
}

bool TrayIcon::AddToTray() {
    iconVisible_ = true;
    PrepareIconData();
    return NotifyShell(NIM_ADD, iconData_);
}

bool TrayIcon::RemoveFromTray() {
    iconVisible_ = false;
    PrepareIconData();
    return NotifyShell(NIM_DELETE, iconData_);
}

bool TrayIcon::RefreshTray() {
    PrepareIconData();
    return NotifyShell(NIM_MODIFY, iconData_);
}

void TrayIcon::HandleTaskbarCreated() {
    if (iconVisible_) AddToTray();
}

void TrayIcon::HandleTrayNotification(UINT notification) {
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
    const ModifierKeys keys = KeyShiftState();
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
            FireMouseDown(MouseButton::Left, keys | kLeftHeld, cursor.x, cursor.y);
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
            FireMouseUp(MouseButton::Left, keys | kLeftHeld, cursor.x, cursor.y);
            break;
        case WM_LBUTTONDBLCLK:
            clickPending_ = false;
            dblClickSeen_ = true;
            FireDblClick();
            if (alive.expired()) return;
            if (popupMenu_ && !leftPopup_) ClickDefaultMenuItem();
            break;
        case WM_RBUTTONDOWN:
            FireMouseDown(MouseButton::Right, keys | kRightHeld, cursor.x, cursor.y);
            if (alive.expired()) return;
            ShowMenuAtCursor();
            break;
        case WM_RBUTTONUP:
            FireMouseUp(MouseButton::Right, keys | kRightHeld, cursor.x, cursor.y);
            break;
        case WM_MBUTTONDOWN:
            FireMouseDown(MouseButton::Middle, keys | kMiddleHeld, cursor.x, cursor.y);
            break;
        case WM_MBUTTONUP:
            FireMouseUp(MouseButton::Middle, keys | kMiddleHeld, cursor.x, cursor.y);
            break;
        default:
            break;
    }
}

void TrayIcon::ClickTimeout() {
    clickTimer_.Stop();
    if (!dblClickSeen_ && clickPending_) {
        clickPending_ = false;
        const std::weak_ptr<int> alive = lifeToken_;
        FireClick();
        if (alive.expired()) return;
    }
    dblClickSeen_ = false;
}

void TrayIcon::ExitPoll() {
    if (mouseOutside_) return;
    const POINT cursor = CursorPos();
    if (cursor.x == lastCursorPos_.x && cursor.y == lastCursorPos_.y) return;
    mouseOutside_ = true;
    FireMouseExit();
}

void TrayIcon::CycleStep() {
    if (iconList_.empty()) return;
    const int next = iconIndex_ + 1 >= static_cast<int>(iconList_.size()) ? 0 : iconIndex_ + 1;
    const std::weak_ptr<int> alive = lifeToken_;
    FireCycle(next);
    if (alive.expired()) return;
    SetIconIndex(next);
}

HWND TrayIcon::MenuOwner() const { return owner_ && IsWindow(owner_) ? owner_ : handler_->Handle(); }

void TrayIcon::ShowMenuAtCursor() {
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

void TrayIcon::ClickDefaultMenuItem() {
    const UINT command = GetMenuDefaultItem(popupMenu_, FALSE, 0);
    if (command == static_cast<UINT>(-1)) return;
    SendMessageW(MenuOwner(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void TrayIcon::FireClick() { Raise(OnClick); }
void TrayIcon::FireDblClick() { Raise(OnDblClick); }
void TrayIcon::FireCycle(int nextIndex) { Raise(OnCycle, nextIndex); }
void TrayIcon::FireMouseDown(MouseButton button, ModifierKeys shift, int x, int y) {
    Raise(OnMouseDown, button, shift, x, y);
}
void TrayIcon::FireMouseUp(MouseButton button, ModifierKeys shift, int x, int y) {
    Raise(OnMouseUp, button, shift, x, y);
}
void TrayIcon::FireMouseMove(ModifierKeys shift, int x, int y) { Raise(OnMouseMove, shift, x, y); }
void TrayIcon::FireMouseEnter() { Raise(OnMouseEnter); }
void TrayIcon::FireMouseExit() { Raise(OnMouseExit); }

}  // namespace vigilo
