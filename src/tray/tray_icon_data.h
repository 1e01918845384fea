#pragma once
// The record handed to Shell_NotifyIconA: NOTIFYICONDATAA as far as its
// balloon fields (the 488-byte size every shell since Windows 2000 accepts).
// The Windows 7 headers' NOTIFYICONDATAA is longer (guidItem, hBalloonIcon),
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
    CHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    CHAR szInfo[256];
    UINT uTimeoutOrVersion;
    CHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};

inline constexpr DWORD kTrayIconDataSize = 488;
static_assert(sizeof(TrayIconData) == kTrayIconDataSize);
static_assert(offsetof(TrayIconData, szTip) == offsetof(NOTIFYICONDATAA, szTip));
static_assert(offsetof(TrayIconData, szInfo) == offsetof(NOTIFYICONDATAA, szInfo));
static_assert(offsetof(TrayIconData, dwInfoFlags) == offsetof(NOTIFYICONDATAA, dwInfoFlags));
static_assert(sizeof(TrayIconData) == NOTIFYICONDATAA_V2_SIZE);

// Shell_NotifyIconA on the record; whether the shell accepted the call.
inline bool NotifyShell(DWORD message, TrayIconData& data) {
    return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(&data)) != FALSE;
}

}  // namespace vigilo
