#include "ui/control.h"

#include <vector>

#include "platform/unique_handle.h"
#include "ui/control_host.h"

namespace vigilo {
namespace {
bool Intersect(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

// Draws control at its place relative to origin, clipped to its bounds.
void DrawAt(HDC dc, const Control& control, const POINT& origin) {
    RECT r = control.Bounds();
    int saved = SaveDC(dc);
    POINT old;
    OffsetViewportOrgEx(dc, r.left - origin.x, r.top - origin.y, &old);
    IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
    control.PaintContent(dc);
    RestoreDC(dc, saved);
}
}  // namespace

bool Control::CreateChild(const char* className, HWND parent, const RECT& bounds, const std::string& text,
                          bool visible) {
    RegisterClassOnce(className);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
    if (!CreateHandle(className, text.c_str(), style, 0, bounds.left, bounds.top, bounds.right - bounds.left,
                      bounds.bottom - bounds.top, parent))
        return false;
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

bool Control::Visible() const { return Handle() && (GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE); }

void Control::SetVisible(bool visible) {
    if (!Handle() || Visible() == visible) return;
    ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
    Changed();
}

int Control::Width() const {
    const RECT r = Bounds();
    return r.right - r.left;
}

RECT Control::Bounds() const {
    RECT r{};
    if (!Handle()) return r;
    GetWindowRect(Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Control::MoveTo(int left, int top) {
    if (!Handle()) return;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Changed();
}

void Control::Place(const RECT& bounds) {
    if (!Handle()) return;
    SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Changed();
}

void Control::SetTabStop(bool tabStop) {
    if (!Handle()) return;
    const LONG style = GetWindowLongW(Handle(), GWL_STYLE);
    SetWindowLongW(Handle(), GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

bool Control::TabStop() const { return Handle() && (GetWindowLongW(Handle(), GWL_STYLE) & WS_TABSTOP); }

void Control::Changed() {
    if (!Handle()) return;
    InvalidateRect(Handle(), nullptr, FALSE);
    const RECT mine = Bounds();
    for (HWND above = GetWindow(Handle(), GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
        auto* control = dynamic_cast<Control*>(Window::FromHandle(above));
        if (control && control->Visible() && Intersect(control->Bounds(), mine)) InvalidateRect(above, nullptr, FALSE);
    }
}

void PaintBeneath(HWND child, HDC dc) {
    RECT mine;
    GetWindowRect(child, &mine);
    const HWND parent = GetParent(child);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&mine), 2);
    const POINT origin{mine.left, mine.top};
    // The form's own background first, in the form's coordinates.
    int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    if (auto* host = dynamic_cast<const ControlHost*>(Window::FromHandle(parent))) host->PaintBackground(dc);
    RestoreDC(dc, saved);

    std::vector<const Control*> beneath;  // nearest first
    for (HWND below = GetWindow(child, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
        auto* control = dynamic_cast<const Control*>(Window::FromHandle(below));
        if (control && control->Visible() && Intersect(control->Bounds(), mine)) beneath.push_back(control);
    }
    for (auto it = beneath.rbegin(); it != beneath.rend(); ++it) DrawAt(dc, **it, origin);
}

void Control::PaintWithBeneath(HDC dc) const {
    PaintBeneath(Handle(), dc);
    PaintContent(dc);
    if (GetFocus() == Handle()) {
        RECT client;
        GetClientRect(Handle(), &client);
        DrawFocusRect(dc, &client);
    }
}

void Control::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT client;
    GetClientRect(Handle(), &client);
    UniqueMemoryDc buffer(CreateCompatibleDC(dc));
    UniqueBitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (buffer && bitmap) {
        ScopedSelect select(buffer.get(), bitmap.get());
        PaintWithBeneath(buffer.get());
        BitBlt(dc, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
    }
    EndPaint(Handle(), &ps);
}

LRESULT Control::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT:
        PaintWithBeneath(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_NCHITTEST: {
        // The form decides where its drag strip is; over the strip the press
        // goes through to the form, which then drags like a caption bar.
        LRESULT formHit = SendMessageW(GetParent(Handle()), WM_NCHITTEST, wp, lp);
        return formHit == HTCAPTION ? HTTRANSPARENT : HTCLIENT;
    }
    case WM_SETCURSOR:
        if (handCursor_ && LOWORD(lp) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (OnMouseMove) {
            auto handler = OnMouseMove;  // a handler may replace itself
            handler();
        }
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(Handle());
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (GetCapture() == Handle()) ReleaseCapture();
        RECT client;
        GetClientRect(Handle(), &client);
        POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (wasPressed && PtInRect(&client, at)) Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    case WM_GETDLGCODE:
        // Enter is the control's own, not the form's default action. The
        // key comes in wParam; lParam's message is not read.
        return wp == VK_RETURN ? DLGC_WANTMESSAGE : 0;
    case WM_KEYDOWN:
        if (wp == VK_RETURN || wp == VK_SPACE) {
            Click();
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(Handle(), nullptr, FALSE);
        break;
    }
    return Window::OnMessage(msg, wp, lp);
}

void Control::Click() {
    if (!OnClick) return;
    auto handler = OnClick;  // a handler may replace itself
    handler();
}

}  // namespace vigilo
