#pragma once
// Helpers for whole-program tests of the notification windows: programs
// registered under the uninstall keys, startup entries in the Run keys, and
// the window of a running Vigilo found and driven as a screen reader and the
// mouse would.
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

// The Run and RunOnce keys Vigilo watches; the machine's exist once per
// registry view (view: KEY_WOW64_64KEY or KEY_WOW64_32KEY).
struct RunKey {
    HKEY root;
    const char* path;
    REGSAM view;
};
inline const RunKey kUserRun{HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", KEY_WOW64_64KEY};
inline const RunKey kUserRunOnce{HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                 KEY_WOW64_64KEY};
inline const RunKey kMachineRun64{HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                  KEY_WOW64_64KEY};
inline const RunKey kMachineRunOnce64{HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                      KEY_WOW64_64KEY};
inline const RunKey kMachineRun32{HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                  KEY_WOW64_32KEY};
inline const RunKey kMachineRunOnce32{HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                      KEY_WOW64_32KEY};

// Makes sure the six keys exist, and removes every startup entry the tests
// made (its command lies in "C:\VigiloTest\"), now and on destruction;
// other entries are never touched.
class RunKeys {
public:
    RunKeys();
    ~RunKeys();
};

// Adds a startup entry name with a test command; false when an entry of that
// name exists already (it is left alone).
bool AddStartupEntry(const RunKey& key, const std::string& name);
// Gives an existing test entry other arguments, with the same program.
void ChangeStartupEntry(const RunKey& key, const std::string& name);
// Gives an existing test entry another program.
void ChangeStartupProgram(const RunKey& key, const std::string& name);
void RemoveStartupEntry(const RunKey& key, const std::string& name);
bool HasStartupEntry(const RunKey& key, const std::string& name);

// The Startup folders of the user the tests run as and of all users, made
// when missing. Every file the tests add there starts with "VigiloTest" and
// is removed now and on destruction; nothing else there is touched.
class TestShortcuts {
public:
    TestShortcuts() { RemoveAll(); }
    ~TestShortcuts() { RemoveAll(); }
    TestShortcuts(const TestShortcuts&) = delete;
    TestShortcuts& operator=(const TestShortcuts&) = delete;

    // Adds the file name (a shortcut's contents do not matter to Vigilo) to the folder of csidl.
    static void Add(int csidl, const std::string& name);
    // The folder of csidl, ending in "\".
    static std::string Folder(int csidl);

private:
    static void RemoveAll();
};

// The visible top-level window of the class owned by process pid; null when none.
HWND VisibleWindowOf(DWORD pid, const char* className);
// Waits for it; null on time-out.
HWND WaitForVisibleWindow(DWORD pid, const char* className, DWORD timeoutMs);
// The topmost visible child of form at client point (x, y).
HWND ControlAt(HWND form, int x, int y);
// Client-area rectangle of a child, in its parent's client coordinates.
RECT ChildRect(HWND child);

}  // namespace vigilo::test
