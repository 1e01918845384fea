#pragma once
// Every private window message of the program, in one place.
#include <windows.h>

namespace vigilo {

// Posted to the main window: (re)start the monitors per the current settings.
inline constexpr UINT kMsgStartMonitors = WM_USER + 111;  // 1135
// wParam of the registered "Vigilo" message that closes the program.
inline constexpr WPARAM kCloseRequestParam = WM_USER + 113;  // 1137
// The tray icon's callback message from the shell.
inline constexpr UINT kMsgTrayCallback = WM_USER + 1024;  // 2048
// Posted to the main window by the junk check's walking thread when its walk
// has ended; carries nothing, and without an ended walk it does nothing.
inline constexpr UINT kMsgJunkWalkEnded = WM_APP + 2;
// (WM_APP + 1 is taken by the main thread's call window, platform/thread.cpp,
// which runs the monitors' hand-offs; it is sent only to that window.)

}  // namespace vigilo
