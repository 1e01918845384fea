#pragma once
// Test doubles for the monitor frame: a registry monitor whose round records
// what it found and hands it to a stand-in notification window, that window
// (modal or timed), a thread that makes one synchronised call, and a way to
// change the registry from another process.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "monitors/registry_monitor.h"
#include "platform/window.h"

namespace vigilo::test {

// A stand-in notification window: shown without activation (Wine stalls on
// hiding an activated window), closed by WM_CLOSE, which only hides it.
class TestNotificationForm : public Window {
public:
    TestNotificationForm();
    // Destroys the window while this class still sees its messages.
    ~TestNotificationForm() override { DestroyHandle(); }
    std::string ProgramName;
    void ShowForm();
    // Runs a modal loop on the application's message handling until closed.
    void ShowModal();
    bool Closed() const { return closed_; }

    // The window shown right now (null when none), and every name shown.
    static HWND Current();
    static std::vector<std::string> ShownNames();
    static void ResetRecord();

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool closed_ = false;
};

enum class HandOffKind { None, Modal, Timed };

// A registry monitor on the frame with a recording round: list, FindAdded
// against Snapshot, record, and hand a non-empty finding to the main thread.
class TestMonitor : public TRegistryMonitorThread {
public:
    TestMonitor() : TestMonitor(&ListSubkeyNames, 1000) {}
    TestMonitor(KeyListing listing, DWORD waitSliceMs) : TRegistryMonitorThread(listing, waitSliceMs) {}
    ~TestMonitor() override;

    HandOffKind handOff = HandOffKind::None;
    int timedSeconds = 20;
    HANDLE gate = nullptr;  // when set, a round waits for it before listing again
    bool failInRound = false;  // the round throws, as a setting of the wrong type does

    std::vector<std::string> Findings() const;  // one entry per finished round
    int RoundsEntered() const { return roundsEntered_; }
    std::vector<std::string> Dropped() const;
    int HandOffsDone() const { return handOffsDone_; }
    bool HandOffsOnMainThread() const { return handOffsOnMainThread_; }
    DWORD LastHandOffMs() const { return lastHandOffMs_; }

protected:
    void Round() override;

private:
    void ShowFinding(const std::string& name);
    mutable std::mutex mutex_;
    std::vector<std::string> findings_;
    std::vector<std::string> dropped_;
    std::atomic<int> roundsEntered_{0};
    std::atomic<int> handOffsDone_{0};
    std::atomic<bool> handOffsOnMainThread_{true};
    std::atomic<DWORD> lastHandOffMs_{0};
};

// Creates a TestMonitor suspended on root\key (the factory shape).
std::unique_ptr<TestMonitor> StartTestMonitor(HKEY root, const std::string& key,
                                              const std::function<void(TestMonitor&)>& configure = nullptr);
// Asks each to terminate, waits (pumping messages) until they ended; false on time-out.
bool StopMonitors(const std::vector<TestMonitor*>& monitors, DWORD timeoutMs = 15000);

// A thread whose body makes one synchronised call of method, once `ready`
// holds (polled on the thread); then it ends.
class CallingThread : public TThread {
public:
    CallingThread(std::function<bool()> ready, std::function<void()> method);
    ~CallingThread() override;
    bool Called() const { return called_; }

protected:
    void Execute() override;

private:
    std::function<bool()> ready_;
    std::function<void()> method_;
    std::atomic<bool> called_{false};
};

// Runs a command line (e.g. reg.exe) as another process and waits for it.
// Returns its exit code, or -1 when it could not start or did not end.
int RunProcess(const std::string& commandLine, DWORD timeoutMs = 15000);
// "reg.exe add HKCU\<key> /f" from another process (on the key this process
// sees, also inside a registry sandbox).
bool RegAddKey(const std::string& hkcuKey);

}  // namespace vigilo::test
