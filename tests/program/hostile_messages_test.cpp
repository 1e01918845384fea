// Any process can post Vigilo's window messages. Floods of them with random
// parameters neither crash nor hang it, launch nothing and write nothing.
// Every private message number sent to every window of Vigilo's own, and a
// quit or close request posted to every thread but the main one, leave it
// running and reporting.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <random>
#include <set>
#include <vector>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"
#include "support/tray_support.h"

using namespace vigilo::test;

namespace {

constexpr int kFlood = 10000;
constexpr UINT kRestartMonitors = 1135;
constexpr UINT kTrayCallback = 2048;

bool Responds(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

DWORD OwnerOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct FoundWindows {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectOfProcess(HWND window, LPARAM lp) {
    auto* found = reinterpret_cast<FoundWindows*>(lp);
    if (OwnerOf(window) == found->pid) found->windows.push_back(window);
    return TRUE;
}

// Vigilo's own windows ("TForm..." and "Vigilo..." classes; no system
// controls) in process pid: top-level, message-only, and their children.
std::vector<HWND> OwnWindows(DWORD pid) {
    FoundWindows found{pid, {}};
    EnumWindows(&CollectOfProcess, reinterpret_cast<LPARAM>(&found));
    for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));)
        if (OwnerOf(window) == pid) found.windows.push_back(window);
    std::vector<HWND> all;
    for (HWND top : found.windows) {
        all.push_back(top);
        for (HWND child : ChildWindows(top)) all.push_back(child);
    }
    std::erase_if(all, [](HWND window) {
        const std::string name = ClassName(window);
        return name.rfind("TForm", 0) != 0 && name.rfind("Vigilo", 0) != 0;
    });
    return all;
}

// Posts every message of WM_USER..0x7FFF and WM_APP..0xBFFF but the designed
// ones; lParam runs through 0, 1, 0xFFFFFFFF and a random value, and the
// ranges' edges get each of them.
void PostEveryPrivateMessage(HWND window, std::mt19937& random) {
    const std::string name = ClassName(window);
    const LPARAM edges[] = {0, 1, static_cast<LPARAM>(0xFFFFFFFF)};
    for (UINT msg = WM_USER; msg <= 0xBFFF; ++msg) {
        if (name == "TForm1" && msg == kRestartMonitors) continue;
        if (name == kTrayHandlerClass && msg == kTrayCallback) continue;
        const bool edge = msg <= WM_USER + 1 || msg == 0x7FFF || msg == WM_APP || msg == WM_APP + 1 || msg == 0xBFFF;
        if (edge)
            for (LPARAM lp : edges) PostMessageA(window, msg, random(), lp);
        const LPARAM rotating[] = {0, 1, static_cast<LPARAM>(0xFFFFFFFF), static_cast<LPARAM>(random())};
        PostMessageA(window, msg, random(), rotating[msg % 4]);
    }
}

// Every thread of process pid but the one that owns mainWindow.
std::vector<DWORD> OtherThreads(DWORD pid, HWND mainWindow) {
    const DWORD mainThread = GetWindowThreadProcessId(mainWindow, nullptr);
    std::vector<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry{sizeof(entry)};
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == pid && entry.th32ThreadID != mainThread) threads.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
    return threads;
}

class HostileToEveryWindowAndThread : public NotificationProgram {
protected:
    HostileToEveryWindowAndThread() : NotificationProgram("TForm2c", "StartupNotifier") {}
    ~HostileToEveryWindowAndThread() override {
        if (vigilo_) vigilo_->Kill();
    }
    UnmanagedVigiloWindows unmanaged_;
    RunKeys runKeys_;
};

}  // namespace

// lParam 0 of the hand-off's wake-up ended Vigilo; a crafted one called an
// address of the sender's choice; a monitor thread's wait took the quit
// message of the main loop and ran the close request on the wrong thread.
TEST_F(HostileToEveryWindowAndThread, EveryPrivateMessageAndQuitOrCloseToWorkersLeaveVigiloReporting) {
    StartVigilo(false);
    ASSERT_NE(WaitForTrayIcon(Pid()), nullptr);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestBeforeTheFlood"));
    HWND form = WaitForWindow(5000);  // the startup monitor's hand-off is under way
    ASSERT_NE(form, nullptr);

    const std::vector<HWND> windows = OwnWindows(Pid());
    std::set<std::string> classes;
    for (HWND window : windows) classes.insert(ClassName(window));
    for (const char* expected : {"TForm1", "TForm2c", kTrayHandlerClass, "VigiloMainThreadCalls"})
        EXPECT_TRUE(classes.count(expected)) << expected << " was not found";
    std::mt19937 random(1135);
    for (HWND window : windows) PostEveryPrivateMessage(window, random);

    const UINT closeRequest = RegisterWindowMessageW(L"Vigilo");
    const std::vector<DWORD> threads = OtherThreads(Pid(), vigilo_->MainWindow());
    EXPECT_FALSE(threads.empty());
    for (DWORD thread : threads) {
        PostThreadMessageA(thread, WM_QUIT, 0, 0);
        PostThreadMessageA(thread, closeRequest, 1137, 0);
    }
    EXPECT_TRUE(Responds(vigilo_->MainWindow()));

    // The hand-off ends with the window; then the monitor pauses before its next round.
    PostMessageA(form, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 30000));
    EXPECT_TRUE(NoWindowFor(2000));
    ASSERT_TRUE(vigilo_->Running());
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestAfterTheFlood"));
    form = WaitForWindow(5000);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "VigiloTestAfterTheFlood"), nullptr);
    EXPECT_TRUE(vigilo_->Running());
}

TEST(HostileMessages, FloodsWithRandomParametersLeaveVigiloRunningUnchanged) {
    CleanSettings settings;
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    ASSERT_TRUE(vigilo.WaitForMainWindow());
    HWND main = vigilo.MainWindow();
    HWND handler = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (handler = FindTopWindow(kTrayHandlerClass, "", vigilo.ProcessId())); }, 5000));
    ASSERT_TRUE(Responds(main));
    const std::string before = SettingsValues();

    std::mt19937 random(1137);
    const UINT closeRequest = RegisterWindowMessageA("Vigilo");
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    auto anyBut = [&](UINT excluded) {
        UINT value;
        do value = random(); while (value == excluded);
        return value;
    };
    for (int i = 0; i < kFlood; ++i) PostMessageA(main, closeRequest, anyBut(1137), random());
    for (int i = 0; i < kFlood; ++i) PostMessageA(main, 1135, random(), random());
    // The icon's own id with notifications that are no mouse button's release.
    for (int i = 0; i < kFlood; ++i)
        PostMessageA(handler, 2048, i % 2 ? kFirstIconId : random(), anyBut(WM_LBUTTONUP) | 0x10000);
    for (int i = 0; i < kFlood; ++i) PostMessageA(handler, taskbarCreated, random(), random());

    EXPECT_TRUE(Responds(main));
    EXPECT_TRUE(Responds(handler));
    EXPECT_TRUE(vigilo.Running());
    EXPECT_EQ(SettingsValues(), before);
    EXPECT_TRUE(vigilo.PurgeonCalls().empty());

    // It still obeys the real close request, behind what is left of the floods.
    PostCloseRequest(main, 1137);
    EXPECT_TRUE(vigilo.WaitForExit(10000));
}
