#include "platform/thread.h"

#include <exception>

#include "platform/stack_trim.h"
#include "platform/window.h"

namespace vigilo {
namespace {

// Sent to the call window with a MainThreadCall in lParam.
constexpr UINT kMsgSynchronize = WM_APP + 1;

std::atomic<long> g_liveThreads{0};
std::atomic<HWND> g_callWindow{nullptr};
std::atomic<DWORD> g_mainThreadId{0};

// One synchronised call: the method, and what it threw, to be raised again
// on the calling thread.
struct MainThreadCall {
    const std::function<void()>* method;
    std::exception_ptr error;
};

// Message-only window owned by the main thread; sent kMsgSynchronize with a
// MainThreadCall in lParam.
class MainThreadCallWindow : public Window {
public:
    MainThreadCallWindow() {
        RegisterClassOnce("VigiloMainThreadCalls");
        CreateHandle("VigiloMainThreadCalls", "", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
    }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kMsgSynchronize) {
            auto* call = reinterpret_cast<MainThreadCall*>(lp);
            try {
                (*call->method)();
            } catch (...) {
                // Never let it unwind through the window procedure.
                call->error = std::current_exception();
            }
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

TThread::~TThread() {
    if (handle_ && !resumed_) {
        // Let the suspended thread run to its end without touching the body.
        cancelled_ = true;
        ResumeThread(handle_.get());
        WaitForSingleObject(handle_.get(), INFINITE);
    }
}

bool TThread::CreateSuspended() {
    terminateEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!terminateEvent_) return false;
    handle_.reset(CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, nullptr));
    return static_cast<bool>(handle_);
}

void TThread::Terminate() {
    terminated_ = true;
    if (terminateEvent_) SetEvent(terminateEvent_.get());
}

void TThread::Resume() {
    if (!handle_ || resumed_) return;
    resumed_ = true;
    ResumeThread(handle_.get());
}

long TThread::LiveCount() { return g_liveThreads.load(); }

void TThread::Synchronize(const std::function<void()>& method) {
    HWND window = g_callWindow;
    if (!window) return;
    MainThreadCall call{&method, nullptr};
    // SendMessage runs the method directly when called on the main thread.
    SendMessageW(window, kMsgSynchronize, 0, reinterpret_cast<LPARAM>(&call));
    if (call.error) std::rethrow_exception(call.error);
}

DWORD WINAPI TThread::ThreadProc(void* param) {
    auto* self = static_cast<TThread*>(param);
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
