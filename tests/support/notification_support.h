#pragma once
// Helpers for whole-program tests of the notification windows: programs
// registered under the uninstall keys, and the window of a running Vigilo
// found and driven as a screen reader and the mouse would.
#include <windows.h>

#include <string>

namespace vigilo::test {

// The three uninstall keys Vigilo watches (64-bit view paths).
struct UninstallKey {
    HKEY root;
    const char* path;  // ends in "\"
};
inline const UninstallKey kMachineUninstall{HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"};
inline const UninstallKey kUserUninstall{HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"};
inline const UninstallKey kWow64Uninstall{HKEY_LOCAL_MACHINE,
                                          "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"};

// Makes sure the three keys exist, and removes every subkey the tests made
// ("VigiloTest..."), now and on destruction.
class UninstallKeys {
public:
    UninstallKeys();
    ~UninstallKeys();
};

// Registers a program: subkey name under key, with its values (empty ones are left out).
void RegisterProgram(const UninstallKey& key, const std::string& subkey, const std::string& displayName,
                     const std::string& publisher = "", const std::string& releaseType = "",
                     const std::string& displayIcon = "");
void UnregisterProgram(const UninstallKey& key, const std::string& subkey);

class VigiloInstall;
// Starts Vigilo and waits until its monitors are watching; false when it did not start.
bool StartWithMonitorsWatching(VigiloInstall& vigilo);

// The visible top-level window of the class owned by process pid; null when none.
HWND VisibleWindowOf(DWORD pid, const char* className);
// Waits for it; null on time-out.
HWND WaitForVisibleWindow(DWORD pid, const char* className, DWORD timeoutMs);
// Where a top-level window is and its size: "left,top widthxheight".
std::string WindowPlacement(HWND window);
// The topmost visible child of form at client point (x, y).
HWND ControlAt(HWND form, int x, int y);
// Client-area rectangle of a child, in its parent's client coordinates.
RECT ChildRect(HWND child);

}  // namespace vigilo::test
