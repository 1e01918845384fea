#include "support/tray_support.h"

#include <shellapi.h>

#include <vector>

#include "core/messages.h"
#include "support/test_support.h"
#include "tray/tray_icon_data.h"

namespace vigilo::test {

LRESULT SendTrayNotification(HWND handler, UINT iconId, UINT notification) {
    return SendMessageA(handler, kMsgTrayCallback, iconId, notification);
}

void PostTrayNotification(HWND handler, UINT iconId, UINT notification) {
    PostMessageA(handler, kMsgTrayCallback, iconId, notification);
}

void BroadcastTaskbarCreated() {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000,
                        &result);
}

namespace {
bool ShellCall(DWORD message, HWND hwnd, UINT id) {
    TrayIconData data{};
    data.cbSize = kTrayIconDataSize;
    data.hWnd = hwnd;
    data.uID = id;
    return NotifyShell(message, data);
}
}  // namespace

bool ShellHasIcon(HWND hwnd, UINT id) { return ShellCall(NIM_MODIFY, hwnd, id); }

bool ShellDeleteIcon(HWND hwnd, UINT id) { return ShellCall(NIM_DELETE, hwnd, id); }

HWND FindTrackedMenu(DWORD pid) {
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(menu, &owner);
        if (IsWindowVisible(menu) && (pid == 0 || owner == pid)) return menu;
    }
    return nullptr;
}

HWND WaitForTrayIcon(DWORD pid) {
    HWND handler = nullptr;
    WaitUntil(
        [&] {
            handler = FindTopWindow(kTrayHandlerClass, nullptr, pid);
            return handler && ShellHasIcon(handler, kFirstIconId);
        },
        10000);
    return handler;
}

HWND OpenTrayMenu(HWND handler, DWORD pid) {
    PostTrayNotification(handler, kFirstIconId, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = FindTrackedMenu(pid)) != nullptr; }, 5000);
    return menu;
}

namespace {
// One menu script at a time per test thread.
std::function<void(HWND)> g_menuAction;
int g_menusSeen = 0;
HWND g_lastMenu = nullptr;
int g_ticksOpen = 0;

void CALLBACK MenuTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    GUITHREADINFO info{sizeof(info)};
    // Windows reports a popup menu with GUI_POPUPMENUMODE, Wine with GUI_INMENUMODE only.
    HWND menu = nullptr;
    if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)))
        menu = FindTrackedMenu(GetCurrentProcessId());
    if (!menu) {
        g_lastMenu = nullptr;
        return;
    }
    if (menu == g_lastMenu) {
        // The action did not close it: end it, so that the test fails instead of hanging.
        if (++g_ticksOpen > 50) EndMenu();
        return;
    }
    g_lastMenu = menu;
    g_ticksOpen = 0;
    ++g_menusSeen;
    if (g_menuAction) g_menuAction(menu);
}
}  // namespace

WhenMenuTracked::WhenMenuTracked(std::function<void(HWND)> action) {
    g_menuAction = std::move(action);
    g_menusSeen = 0;
    g_lastMenu = nullptr;
    timer_ = SetTimer(nullptr, 0, 20, &MenuTimerProc);
}

WhenMenuTracked::~WhenMenuTracked() {
    KillTimer(nullptr, timer_);
    g_menuAction = nullptr;
}

int WhenMenuTracked::MenusSeen() const { return g_menusSeen; }

void PostKey(HWND window, UINT virtualKey) {
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

HICON MakeSolidIcon(COLORREF color) {
    constexpr int kSize = 16;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = kSize;
    bmi.bmiHeader.biHeight = kSize;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP colorBitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<DWORD*>(bits);
    const DWORD bgra = 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    for (int i = 0; i < kSize * kSize; ++i) pixels[i] = bgra;
    std::vector<BYTE> maskBits(kSize * kSize / 8, 0);  // all opaque
    HBITMAP mask = CreateBitmap(kSize, kSize, 1, 1, maskBits.data());
    ICONINFO info{TRUE, 0, 0, mask, colorBitmap};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colorBitmap);
    DeleteObject(mask);
    return icon;
}

COLORREF IconColor(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return CLR_INVALID;
    COLORREF color = CLR_INVALID;
    BITMAP bm{};
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof(bm), &bm)) {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = bm.bmWidth;
        bmi.bmiHeader.biHeight = bm.bmHeight;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
        HDC dc = GetDC(nullptr);
        if (GetDIBits(dc, info.hbmColor, 0, bm.bmHeight, pixels.data(), &bmi, DIB_RGB_COLORS)) {
            const DWORD p = pixels[(bm.bmHeight / 2) * bm.bmWidth + bm.bmWidth / 2];
            color = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        }
        ReleaseDC(nullptr, dc);
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return color;
}

}  // namespace vigilo::test
