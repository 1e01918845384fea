#include "platform/message_loop.h"

namespace vigilo {
namespace {
MessageFilter g_filter;
bool g_terminated = false;

// Shift+F10 and the menu key ask the focused window for its context menu
// (WM_CONTEXTMENU at -1, -1), which a control hands up to its window, as
// Windows' DefWindowProc does and Wine's does not. Every message of both
// keys is taken, so that the menu is asked for once.
bool HandledAsContextMenuKey(const MSG& msg) {
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    const bool menuKey = msg.wParam == VK_APPS;
    const bool shiftF10 = msg.wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000);
    if (!(down || up) || !(menuKey || shiftF10)) return false;
    // The menu key opens it on its release, Shift+F10 on its press.
    if ((menuKey && up) || (shiftF10 && down))
        SendMessageW(msg.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(-1, -1));
    return true;
}

// A key for a window that takes the keyboard as a dialog does
// (WS_EX_CONTROLPARENT): Tab and Shift+Tab move the focus between its tab
// stops, Esc sends it IDCANCEL; the context menu keys as above. True when
// the dialog handling took the key.
bool HandledAsDialogKey(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || !(GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) return false;
    return HandledAsContextMenuKey(msg) || IsDialogMessageW(root, &msg) != FALSE;
}

// False for WM_QUIT. That is put back for the loops further out: a loop
// run from a sent message (a hand-off's wait or modal window) that takes it
// would otherwise leave the main loop asleep in GetMessage.
bool Handle(MSG& msg) {
    if (msg.message == WM_QUIT) {
        g_terminated = true;
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    if (g_filter) g_filter(msg);
    if (HandledAsDialogKey(msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}
}  // namespace

void SetApplicationMessageFilter(MessageFilter filter) { g_filter = std::move(filter); }

bool HandleOneMessage() {
    MSG msg;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) return !g_terminated;
    if (got == 0) msg.message = WM_QUIT;
    Handle(msg);
    return !g_terminated;
}

void ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!Handle(msg)) return;
}

void RunMessageLoop() {
    while (!g_terminated) HandleOneMessage();
}

void TerminateApplication() {
    if (g_terminated) return;
    // Marked at once: a loop that is not the program's own (the tray menu's)
    // may take the WM_QUIT that only wakes the waiting loops.
    g_terminated = true;
    PostQuitMessage(0);
}

bool ApplicationTerminated() { return g_terminated; }

void ResetApplicationState() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    g_terminated = false;
    g_filter = nullptr;
}

}  // namespace vigilo
