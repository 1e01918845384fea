#include "platform/window.h"

#include "platform/unique_handle.h"

namespace vigilo {

Window::~Window() { DestroyHandle(); }

Window* Window::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    WNDPROC proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    if (proc != &Window::WindowProc) return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Window::RegisterClassOnce(const char* className, UINT classStyle, HCURSOR cursor, HICON icon) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{sizeof(existing)};
    if (GetClassInfoExA(inst, className, &existing)) return;
    WNDCLASSEXA wc{sizeof(wc)};
    wc.style = classStyle;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = inst;
    wc.hCursor = cursor ? cursor : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = icon;
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
}

bool Window::CreateHandle(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
                          int width, int height, HWND parent, HMENU menuOrId) {
    DestroyHandle();
    HWND hwnd = CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                GetModuleHandleA(nullptr), this);
    return hwnd != nullptr;
}

void Window::DestroyHandle() {
    if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd_, msg, wp, lp); }

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        AdjustLiveHandleCount(HandleKind::Window, +1);
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    LRESULT result = self->OnMessage(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        AdjustLiveHandleCount(HandleKind::Window, -1);
        self->OnDestroyed();
    }
    return result;
}

}  // namespace vigilo
