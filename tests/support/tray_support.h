#pragma once
// Helpers for tests of the tray icon: acting as the shell does (sending the
// icon's callback message, broadcasting "TaskbarCreated", asking the shell
// about an icon), finding the popup menu while it is tracked, and icons of a
// single colour to tell images apart.
#include <windows.h>

#include <functional>

namespace vigilo::test {

// Window class of the tray's shared handler window.
inline constexpr const char* kTrayHandlerClass = "VigiloTrayIconHandler";
// A process's first tray icon has IconId 1; Vigilo.exe has only that one.
inline constexpr UINT kFirstIconId = 1;

// Sends (same thread: runs at once) or posts the tray callback message.
LRESULT SendTrayNotification(HWND handler, UINT iconId, UINT notification);
void PostTrayNotification(HWND handler, UINT iconId, UINT notification);

// Broadcasts the registered "TaskbarCreated" message to every top-level
// window, as a restarted taskbar does; returns when all have handled it.
void BroadcastTaskbarCreated();

// Whether the shell knows an icon (hWnd, uID): a NIM_MODIFY that changes nothing.
bool ShellHasIcon(HWND hwnd, UINT id);
// Deletes an icon behind its program's back, as a crashed shell loses it.
bool ShellDeleteIcon(HWND hwnd, UINT id);

// The visible popup menu window ("#32768") of process pid (0: any), or null.
HWND FindTrackedMenu(DWORD pid = 0);

// The tray handler window of process pid once its icon is in the tray; null on time-out.
HWND WaitForTrayIcon(DWORD pid);
// Presses the right button on the icon of handler; the menu window of
// process pid once it is up, or null.
HWND OpenTrayMenu(HWND handler, DWORD pid);

// Runs action (on the calling thread, from a thread timer) as soon as a popup
// menu of this thread is being tracked; meant for tests that open a menu from
// their own thread, where the opening call returns only when the menu closes.
class WhenMenuTracked {
public:
    explicit WhenMenuTracked(std::function<void(HWND menu)> action);
    ~WhenMenuTracked();
    WhenMenuTracked(const WhenMenuTracked&) = delete;
    WhenMenuTracked& operator=(const WhenMenuTracked&) = delete;
    // Times the action ran: menus seen visible while the thread was in menu mode.
    int MenusSeen() const;

private:
    UINT_PTR timer_ = 0;
};

// Presses (down and up) a key in a menu window of any process.
void PostKey(HWND window, UINT virtualKey);

// A 16 x 16 icon of one colour, and the colour at an icon's centre.
HICON MakeSolidIcon(COLORREF color);
COLORREF IconColor(HICON icon);

}  // namespace vigilo::test
