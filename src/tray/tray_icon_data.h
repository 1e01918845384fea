#pragma once
// The record handed to Shell_NotifyIconW: NOTIFYICONDATAW as far as its
// balloon fields (the size every shell since Windows 2000 accepts: 936 bytes
// in a 32-bit program).
// The Windows 7 headers' NOTIFYICONDATAW is longer (guidItem, hBalloonIcon),
// so the record is laid out here and checked against the system's fields.
#include <windows.h>
#include <shellapi.h>

#include <cstddef>

namespace vigilo {

struct TrayIconData {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    UINT uTimeoutOrVersion;
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};

inline constexpr DWORD kTrayIconDataSize = sizeof(TrayIconData);
static_assert(sizeof(void*) != 4 || kTrayIconDataSize == 936);
static_assert(offsetof(TrayIconData, szTip) == offsetof(NOTIFYICONDATAW, szTip));
static_assert(offsetof(TrayIconData, szInfo) == offsetof(NOTIFYICONDATAW, szInfo));
static_assert(offsetof(TrayIconData, dwInfoFlags) == offsetof(NOTIFYICONDATAW, dwInfoFlags));
static_assert(sizeof(TrayIconData) == NOTIFYICONDATAW_V2_SIZE);

// Shell_NotifyIconW on the record; whether the shell accepted the call.
inline bool NotifyShell(DWORD message, TrayIconData& data) {
    return Shell_NotifyIconW(message, reinterpret_cast<NOTIFYICONDATAW*>(&data)) != FALSE;
}

}  // namespace vigilo
