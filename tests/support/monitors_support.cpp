#include "support/monitors_support.h"

#include <stdexcept>

#include "platform/message_loop.h"
#include "windows/notification_shapes.h"
#include "monitors/string_list.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"

namespace vigilo::test {
namespace {

constexpr const char* kFormClass = "VigiloTestNotification";
HWND g_currentForm = nullptr;
std::vector<std::string> g_shownNames;

// Waits for a thread to end while serving the main thread's messages, so a
// thread blocked in a synchronised call can finish it.
bool WaitForThreadEnd(HANDLE thread, DWORD timeoutMs) {
    return WaitUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

}  // namespace

TestNotificationForm::TestNotificationForm() {
    RegisterClassOnce(kFormClass);
    CreateHandle(kFormClass, "Test notification", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 200, 100);
}

void TestNotificationForm::ShowForm() {
    g_currentForm = Handle();
    g_shownNames.push_back(ProgramName);
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

void TestNotificationForm::ShowModal() {
    ShowForm();
    while (!closed_ && HandleOneMessage()) {
    }
}

LRESULT TestNotificationForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        closed_ = true;
        ShowWindow(Handle(), SW_HIDE);
        return 0;
    }
    if (msg == WM_DESTROY && g_currentForm == Handle()) g_currentForm = nullptr;
    return Window::OnMessage(msg, wp, lp);
}

HWND TestNotificationForm::Current() { return g_currentForm; }
std::vector<std::string> TestNotificationForm::ShownNames() { return g_shownNames; }
void TestNotificationForm::ResetRecord() {
    g_shownNames.clear();
    g_currentForm = nullptr;
}

TestMonitor::~TestMonitor() {
    Terminate();
    if (ThreadHandle()) WaitForThreadEnd(ThreadHandle(), 30000);
}

void TestMonitor::Round() {
    ++roundsEntered_;
    if (gate) WaitForSingleObject(gate, 15000);
    if (failInRound) throw std::runtime_error("setting of the wrong type");
    StringList fresh;
    ListKey(fresh);
    const std::string added = FindAdded(Snapshot, fresh);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        findings_.push_back(added);
    }
    if (!added.empty() && handOff != HandOffKind::None) HandOff([this, added] { ShowFinding(added); });
}

void TestMonitor::ShowFinding(const std::string& name) {
    if (!OnMainThread()) handOffsOnMainThread_ = false;
    const ULONGLONG start = GetTickCount64();
    auto fill = [&](TestNotificationForm& form) { form.ProgramName = name; };
    const bool shown = handOff == HandOffKind::Modal ? ShowModalNotification<TestNotificationForm>(fill)
                                                     : ShowTimedNotification<TestNotificationForm>(fill, timedSeconds);
    if (shown) {
        lastHandOffMs_ = static_cast<DWORD>(GetTickCount64() - start);
    } else {
        std::lock_guard<std::mutex> lock(mutex_);
        dropped_.push_back(name);
    }
    ++handOffsDone_;
}

std::vector<std::string> TestMonitor::Findings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return findings_;
}

std::vector<std::string> TestMonitor::Dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

std::unique_ptr<TestMonitor> StartTestMonitor(HKEY root, const std::string& key,
                                              const std::function<void(TestMonitor&)>& configure) {
    auto monitor = std::make_unique<TestMonitor>();
    if (!monitor->CreateSuspended()) return nullptr;
    monitor->RootKey = root;
    monitor->KeyPath = key;
    if (configure) configure(*monitor);
    monitor->Resume();
    return monitor;
}

bool StopMonitors(const std::vector<TestMonitor*>& monitors, DWORD timeoutMs) {
    for (TestMonitor* monitor : monitors) monitor->Terminate();
    bool ended = true;
    for (TestMonitor* monitor : monitors) ended = WaitForThreadEnd(monitor->ThreadHandle(), timeoutMs) && ended;
    return ended;
}

CallingThread::CallingThread(std::function<bool()> ready, std::function<void()> method)
    : ready_(std::move(ready)), method_(std::move(method)) {
    CreateSuspended();
    Resume();
}

CallingThread::~CallingThread() {
    if (ThreadHandle()) WaitForThreadEnd(ThreadHandle(), 30000);
}

void CallingThread::Execute() {
    if (!WaitUntil(ready_, 15000)) return;
    Synchronize(method_);
    called_ = true;
}

int RunProcess(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOA si{sizeof(si)};
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

bool RegAddKey(const std::string& hkcuKey) {
    // reg.exe is a process of its own: the registry sandbox does not reach it.
    return RunProcess("reg.exe add \"HKCU\\" + RealUserKeyPath(hkcuKey) + "\" /f") == 0;
}

}  // namespace vigilo::test
