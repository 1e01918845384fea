#include "platform/window.h"

#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {

Window::~Window() { DestroyHandle(); }

Window* Window::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    WNDPROC proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (proc != &Window::WindowProc) return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Window::RegisterClassOnce(const char* className, UINT classStyle, HCURSOR cursor, HICON icon) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    const std::wstring name = Utf16(className);
    WNDCLASSEXW existing{sizeof(existing)};
    if (GetClassInfoExW(inst, name.c_str(), &existing)) return;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = classStyle;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = inst;
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.hIcon = icon;
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
}

bool Window::CreateHandle(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
                          int width, int height, HWND parent, HMENU menuOrId) {
    DestroyHandle();
    HWND hwnd = CreateWindowExW(exStyle, Utf16(className).c_str(), Utf16(title).c_str(), style, x, y, width, height,
                                parent, menuOrId, GetModuleHandleW(nullptr), this);
    return hwnd != nullptr;
}

void Window::DestroyHandle() {
    if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        AdjustLiveHandleCount(HandleKind::Window, +1);
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = self->OnMessage(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        AdjustLiveHandleCount(HandleKind::Window, -1);
        self->OnDestroyed();
    }
    return result;
}

bool OnThisThreadsStack(const void* p, size_t size) {
    if (!p) return false;
    // The stack is one reservation; its committed pages, from the guard page
    // up to its top, are one region.
    volatile char here = 0;
    MEMORY_BASIC_INFORMATION stack{}, region{};
    if (!VirtualQuery(const_cast<char*>(&here), &stack, sizeof stack) || !VirtualQuery(p, &region, sizeof region))
        return false;
    const auto at = reinterpret_cast<ULONG_PTR>(p);
    const ULONG_PTR end = reinterpret_cast<ULONG_PTR>(region.BaseAddress) + region.RegionSize;
    return region.AllocationBase == stack.AllocationBase && region.State == MEM_COMMIT && size <= end - at;
}

}  // namespace vigilo
