#pragma once
// Helpers for tests that work on real Windows state: scratch registry keys,
// temporary folders, a private copy of Vigilo.exe in a folder of its own,
// and waits with time-outs.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vigilo::test {

// Polls cond every 10 ms until it holds or timeoutMs passed; pumps the
// calling thread's messages meanwhile. Returns whether it held.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs);

// Folder of the running test executable (the build's bin folder).
std::string BinFolder();

// Deletes a whole key tree in the 64-bit view; missing is fine.
void DeleteKeyTree(HKEY root, const std::string& path);
// Writes values in the 64-bit view, creating the key.
void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value,
               DWORD type = REG_SZ);
void SetDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
void SetRaw(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data, DWORD size);
bool GetDword(HKEY root, const std::string& key, const std::string& name, DWORD& value);
// Type and size of a value; false when it does not exist.
bool GetValueInfo(HKEY root, const std::string& key, const std::string& name, DWORD& type, DWORD& size);

// The texts of a REG_MULTI_SZ value (64-bit view), read raw; empty when it is
// missing or of another type.
std::vector<std::string> RegistryTexts(HKEY root, const std::string& key, const std::string& name);
// Writes texts as a REG_MULTI_SZ value, creating the key.
void SetRegistryTexts(HKEY root, const std::string& key, const std::string& name, const std::vector<std::string>& texts);
// The texts of the record of findings, HKCU\Software\Purgeon\Vigilo's
// REG_MULTI_SZ value "Recent", read raw; empty when it is missing or of another type.
std::vector<std::string> RecentFindingLines();

// HKCU\Software\VigiloTests\<name>, empty at construction, deleted afterwards.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& name);
    ~ScratchKey();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Every value under Vigilo's settings key, as "name=type:bytes;" in
// enumeration order: equal before and after when nothing was written.
std::string SettingsValues();

// Clears Vigilo's settings key (HKCU\Software\Purgeon) now and on destruction.
class CleanSettings {
public:
    CleanSettings();
    ~CleanSettings();
};

// A fresh folder under %TEMP%, removed with its contents afterwards.
class TempFolder {
public:
    // nameSuffix ends the folder's name (a name in another script, say).
    explicit TempFolder(const std::string& nameSuffix = "");
    ~TempFolder();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    void Write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};
void WriteFile(const std::string& path, const std::string& content);
// A file of `size` bytes that takes (almost) no room on disk: marked sparse
// where the file system allows, then extended. False when it could not be made.
bool WriteSparseFile(const std::string& path, long long size, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
// Creates folder (with or without a final "\") and every missing parent; true when it exists afterwards.
bool MakeFolders(const std::string& folder);
std::string ReadFile(const std::string& path);
void RemoveTree(const std::string& path);

// Vigilo.exe copied into a temporary program folder, optionally with the
// stand-in Purgeon.exe beside it.
class VigiloInstall {
public:
    // folderSuffix ends the program folder's name.
    explicit VigiloInstall(bool withPurgeon = true, const std::string& folderSuffix = "");
    ~VigiloInstall();
    const TempFolder& Folder() const { return folder_; }
    std::string Exe() const { return folder_.File("Vigilo.exe"); }

    // Starts Vigilo.exe; false when the process could not be created.
    // Started suspended, it runs only once Resume() is called.
    bool Start(bool suspended = false);
    // Starts Vigilo.exe with environment's "NAME=value" entries in place of
    // this process's variables of those names, and its standard error going
    // to StandardErrorFile(), Wine's debug channels included; false when it
    // could not be started. Wine only (vigilo_with_standard_error.cpp).
    bool StartCapturingStandardError(const std::vector<std::string>& environment);
    std::string StandardErrorFile() const { return folder_.File("standard-error.txt"); }
    void Resume();
    // Waits for the hidden "Vigilo" window of this run.
    bool WaitForMainWindow(DWORD timeoutMs = 15000);
    HWND MainWindow() const;
    // Waits for the process to end; false on time-out.
    bool WaitForExit(DWORD timeoutMs);
    DWORD ExitCode() const;
    bool Running() const;
    // Posts the close request and waits; kills the process if it does not end.
    void Stop();
    // Ends the process at once, for tests that have seen what they came for
    // (a close request waits for the end of a timed notification's 20 seconds).
    void Kill();
    DWORD ProcessId() const { return pid_; }

    // Lines Purgeon.exe recorded, one per start.
    std::vector<std::string> PurgeonCalls() const;

private:
    TempFolder folder_;
    HANDLE process_ = nullptr;
    HANDLE thread_ = nullptr;  // the first thread, while suspended
    DWORD pid_ = 0;
};

// Wine, on a display without a window manager (as the tests' displays are),
// waits two seconds for the withdrawal of every window that was activated,
// when it is hidden or destroyed. While this lives, copies of Vigilo.exe
// started meanwhile leave their windows unmanaged, so they go at once, as
// under a desktop's manager.
class UnmanagedVigiloWindows {
public:
    UnmanagedVigiloWindows();
    ~UnmanagedVigiloWindows();
    UnmanagedVigiloWindows(const UnmanagedVigiloWindows&) = delete;
    UnmanagedVigiloWindows& operator=(const UnmanagedVigiloWindows&) = delete;
};

// Copies of Vigilo.exe started while this lives are told by Wine they run on
// Windows 10 (Debian's Wine 8 says Windows 7, which lacks what Windows 8 brought).
class VigiloOnWindows10 {
public:
    VigiloOnWindows10();
    ~VigiloOnWindows10();
    VigiloOnWindows10(const VigiloOnWindows10&) = delete;
    VigiloOnWindows10& operator=(const VigiloOnWindows10&) = delete;
};

// The lines a stand-in Purgeon.exe in folder recorded, one per start.
std::vector<std::string> PurgeonCallsIn(const std::string& folder);
// Ends every stand-in Purgeon at once (closing its window would cost Wine's
// two-second stall).
void EndPurgeons();

// Top-level window of the given class and title owned by process pid (0: any).
HWND FindTopWindow(const char* className, const char* title, DWORD pid = 0);
// The window's text in UTF-8, read as a screen reader reads it (UTF-16).
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);
// Every child window (any depth).
std::vector<HWND> ChildWindows(HWND parent);
HWND FindChildByText(HWND parent, const std::string& text);

// Posts the registered "Vigilo" message with wParam to hwnd.
void PostCloseRequest(HWND hwnd, WPARAM wParam);

}  // namespace vigilo::test
