#include "ui/push_button.h"

#include "platform/text.h"
#include "ui/control.h"

namespace vigilo {

PushButton::~PushButton() { Detach(); }

void PushButton::Detach() {
    // The window goes on, or goes, as a plain button that no longer calls this object.
    if (!hwnd_ || !buttonProc_) return;
    SetWindowLongPtrW(hwnd_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buttonProc_));
    SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
    buttonProc_ = nullptr;
}

bool PushButton::Create(HWND parent, const RECT& bounds, const std::string& accessibleName, bool visible) {
    const DWORD style = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | BS_OWNERDRAW | (visible ? WS_VISIBLE : 0);
    hwnd_.reset(CreateWindowExW(0, L"BUTTON", Utf16(accessibleName).c_str(), style, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr));
    if (!hwnd_) return false;
    SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    buttonProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PushButton::Subclassed)));
    SetWindowPos(hwnd_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

RECT PushButton::Bounds() const {
    RECT r{};
    if (!hwnd_) return r;
    GetWindowRect(hwnd_.get(), &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_.get()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void PushButton::Place(const RECT& bounds) {
    if (!hwnd_) return;
    SetWindowPos(hwnd_.get(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                 bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PushButton::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    if (hwnd_) InvalidateRect(hwnd_.get(), nullptr, FALSE);
}

void PushButton::Draw(const DRAWITEMSTRUCT& item) const {
    PaintBeneath(item.hwndItem, item.hDC);
    picture_.Draw(item.hDC, 0, 0);
    if (item.itemState & ODS_FOCUS) {
        RECT inside = item.rcItem;
        InflateRect(&inside, -1, -1);
        DrawFocusRect(item.hDC, &inside);
    }
}

void PushButton::Click() {
    if (!OnClick) return;
    auto handler = OnClick;  // a handler may replace itself
    handler();
}

void PushButton::Forget() {
    buttonProc_ = nullptr;
    hwnd_.release();
}

LRESULT CALLBACK PushButton::Subclassed(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<PushButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // Detached windows have their own procedure back; this is only a safeguard.
    return self ? self->OnMessage(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT PushButton::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const HWND hwnd = hwnd_.get();
    switch (msg) {
    case WM_NCDESTROY: {
        // The window goes with its form: hand it back to the button's procedure for its end.
        const WNDPROC own = buttonProc_;
        Detach();
        hwnd_.release();
        return CallWindowProcW(own, hwnd, msg, wp, lp);
    }
    // The mouse is handled here: the button's own press would take the focus.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        RECT client;
        GetClientRect(hwnd, &client);
        const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (wasPressed && PtInRect(&client, at)) Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    case WM_SETCURSOR:
        if (handCursor_ && LOWORD(lp) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
            return TRUE;
        }
        break;
    case WM_GETDLGCODE:
        // Enter on the focused button presses it, as on a dialog's default button.
        return CallWindowProcW(buttonProc_, hwnd, msg, wp, lp) | DLGC_DEFPUSHBUTTON;
    }
    return CallWindowProcW(buttonProc_, hwnd, msg, wp, lp);
}

}  // namespace vigilo
