#include "support/ui_support.h"

#include "platform/unique_handle.h"
#include "support/test_support.h"

namespace vigilo::test {
namespace {
Pixels Capture(HWND hwnd, bool fromScreen) {
    Pixels p;
    RECT client;
    GetClientRect(hwnd, &client);
    p.width = client.right;
    p.height = client.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dib || !dc) return p;
    {
        ScopedSelect select(dc.get(), dib.get());
        if (fromScreen) {
            HDC window = GetDC(hwnd);
            BitBlt(dc.get(), 0, 0, p.width, p.height, window, 0, 0, SRCCOPY);
            ReleaseDC(hwnd, window);
        } else {
            SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
        }
        GdiFlush();
    }
    const auto* src = static_cast<const std::uint32_t*>(bits);
    p.data.assign(src, src + static_cast<size_t>(p.width) * p.height);
    for (auto& px : p.data) px &= 0xFFFFFF;
    return p;
}
}  // namespace

COLORREF Pixels::At(int x, int y) const {
    std::uint32_t v = data.at(static_cast<size_t>(y) * width + x);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool Pixels::AnyDark(const RECT& area, int limit) const {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            COLORREF c = At(x, y);
            if (GetRValue(c) < limit && GetGValue(c) < limit && GetBValue(c) < limit) return true;
        }
    return false;
}

Pixels PaintOf(HWND control) { return Capture(control, false); }
Pixels ScreenOf(HWND window) { return Capture(window, true); }

namespace {
POINT g_moveTarget;
HWND g_moveReceiver;

LRESULT CALLBACK WatchMouseMoves(int code, WPARAM wp, LPARAM lp) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && (msg->message == WM_MOUSEMOVE || msg->message == WM_NCMOUSEMOVE) && msg->pt.x == g_moveTarget.x &&
        msg->pt.y == g_moveTarget.y)
        g_moveReceiver = msg->hwnd;
    return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

HWND MoveMouseTo(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    g_moveTarget = at;
    g_moveReceiver = nullptr;
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, WatchMouseMoves, nullptr, GetCurrentThreadId());
    SetCursorPos(at.x, at.y);
    // The move comes back as input from the X server; it has been handled
    // once the message loop took it (and dispatched it in the same pump).
    WaitUntil([] { return g_moveReceiver != nullptr; }, 3000);
    UnhookWindowsHookEx(hook);
    return g_moveReceiver;
}

void PostClick(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
}

namespace {
template <typename T>
T* FindControl(const Form& form, const std::string& name) {
    for (HWND child = GetWindow(form.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        auto* control = dynamic_cast<Control*>(Window::FromHandle(child));
        if (control && control->Name() == name) return dynamic_cast<T*>(control);
    }
    return nullptr;
}
}  // namespace

Label* FindLabel(const Form& form, const std::string& name) { return FindControl<Label>(form, name); }
Image* FindImage(const Form& form, const std::string& name) { return FindControl<Image>(form, name); }

bool ShowsInTaskbar(HWND window) {
    if (!IsWindowVisible(window)) return false;
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    if (exStyle & WS_EX_APPWINDOW) return true;
    return !GetWindow(window, GW_OWNER) && !(exStyle & WS_EX_TOOLWINDOW);
}

}  // namespace vigilo::test
