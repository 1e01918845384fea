#include "platform/monitor_thread.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

#include "platform/stack_trim.h"
#include "platform/window.h"

namespace vigilo {
namespace {

// Sent to the call window, with no parameters, to run the pending calls.
// The calls themselves stay in this process: whatever another program sends
// the window, it finds nothing to call but what a thread queued.
constexpr UINT kMsgRunPendingCalls = WM_APP + 1;

std::atomic<long> g_liveThreads{0};
std::atomic<HWND> g_callWindow{nullptr};
std::atomic<DWORD> g_mainThreadId{0};

// One synchronised call: the method, and what it threw, to be raised again
// on the calling thread.
struct MainThreadCall {
    enum class State { Queued, Running, Done };
    const std::function<void()>* method;
    std::exception_ptr error;
    State state = State::Queued;
};

// The calls waiting for the main thread, oldest first.
std::mutex g_callsMutex;
std::condition_variable g_callDone;
std::deque<MainThreadCall*> g_pendingCalls;
std::deque<std::function<void()>> g_postedTasks;

// Runs every queued call on the main thread. A call may run a loop of its
// own (a modal notification) that serves the next wake-up: that one runs the
// calls queued meanwhile, each caller waiting for its own call's end.
void RunPendingCalls() {
    for (;;) {
        MainThreadCall* call = nullptr;
        std::function<void()> task;
        {
            std::lock_guard lock(g_callsMutex);
            if (g_pendingCalls.empty() && !g_postedTasks.empty()) {
                task = std::move(g_postedTasks.front());
                g_postedTasks.pop_front();
            }
        }
        if (task) {
            try {
                task();
            } catch (...) {
                // Never let it unwind through the window procedure.
            }
            continue;
        }
        {
            std::lock_guard lock(g_callsMutex);
            if (g_pendingCalls.empty()) return;
            call = g_pendingCalls.front();
            g_pendingCalls.pop_front();
            call->state = MainThreadCall::State::Running;
        }
        try {
            (*call->method)();
        } catch (...) {
            // Never let it unwind through the window procedure.
            call->error = std::current_exception();
        }
        {
            std::lock_guard lock(g_callsMutex);
            call->state = MainThreadCall::State::Done;
        }
        g_callDone.notify_all();
    }
}

// Message-only window owned by the main thread; a sent kMsgRunPendingCalls
// wakes it to run the pending calls.
class MainThreadCallWindow : public Window {
public:
    MainThreadCallWindow() {
        RegisterClassOnce("VigiloMainThreadCalls");
        CreateHandle("VigiloMainThreadCalls", "", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
    }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kMsgRunPendingCalls) {
            RunPendingCalls();
            return 0;
        }
        return Window::OnMessage(msg, wp, lp);
    }

    void OnDestroyed() override { g_callWindow = nullptr; }
};

}  // namespace

void InitMainThreadCalls() {
    static MainThreadCallWindow window;
    g_mainThreadId = GetCurrentThreadId();
    g_callWindow = window.Handle();
}

bool OnMainThread() { return g_mainThreadId != 0 && GetCurrentThreadId() == g_mainThreadId; }

void PostToMainThread(std::function<void()> task) {
    HWND window = g_callWindow;
    if (!window) return;
    {
        std::lock_guard lock(g_callsMutex);
        g_postedTasks.push_back(std::move(task));
    }
    PostMessageW(window, kMsgRunPendingCalls, 0, 0);
}

MonitorThread::~MonitorThread() {
    if (handle_ && !resumed_) {
        // Let the suspended thread run to its end without touching the body.
        cancelled_ = true;
        ResumeThread(handle_.get());
        WaitForSingleObject(handle_.get(), INFINITE);
    }
}

bool MonitorThread::CreateSuspended() {
    terminateEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!terminateEvent_) return false;
    handle_.reset(CreateThread(nullptr, 0, &MonitorThread::ThreadProc, this, CREATE_SUSPENDED, nullptr));
    return static_cast<bool>(handle_);
}

void MonitorThread::Terminate() {
    terminated_ = true;
    if (terminateEvent_) SetEvent(terminateEvent_.get());
}

void MonitorThread::Resume() {
    if (!handle_ || resumed_) return;
    resumed_ = true;
    ResumeThread(handle_.get());
}

bool MonitorThread::WaitTerminated(int seconds) const {
    const DWORD ms = seconds > 0 ? static_cast<DWORD>(seconds) * 1000 : 0;
    if (terminateEvent_)
        WaitForSingleObject(terminateEvent_.get(), ms);
    else
        Sleep(ms);
    return terminated_;
}

long MonitorThread::LiveCount() { return g_liveThreads.load(); }

void MonitorThread::Synchronize(const std::function<void()>& method) {
    HWND window = g_callWindow;
    if (!window) return;
    if (OnMainThread()) {
        method();
        return;
    }
    MainThreadCall call{&method, nullptr};
    {
        std::lock_guard lock(g_callsMutex);
        g_pendingCalls.push_back(&call);
    }
    // Served by every loop of the main thread, as any sent message is.
    SendMessageW(window, kMsgRunPendingCalls, 0, 0);
    {
        std::unique_lock lock(g_callsMutex);
        if (call.state == MainThreadCall::State::Queued) {
            // The window went before it ran the call: it never will.
            std::erase(g_pendingCalls, &call);
            return;
        }
        // Another wake-up took the call: wait for the end of its run.
        g_callDone.wait(lock, [&] { return call.state == MainThreadCall::State::Done; });
    }
    if (call.error) std::rethrow_exception(call.error);
}

DWORD WINAPI MonitorThread::ThreadProc(void* param) {
    auto* self = static_cast<MonitorThread*>(param);
    if (self->cancelled_) return 0;
    ++g_liveThreads;
    // Most threads spend their life waiting, on a shallow stack.
    ReleaseUnusedStack();
    try {
        self->Execute();
    } catch (...) {
        // An error raised in a monitor (a setting of the wrong type) ends it silently.
    }
    --g_liveThreads;
    self->finished_ = true;  // the last touch of the object: it may be freed from now on
    return 0;
}

}  // namespace vigilo
