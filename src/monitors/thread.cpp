#include "monitors/thread.h"

#include "app/app_messages.h"
#include "ui/window.h"

namespace vigilo {
namespace {

std::atomic<long> g_liveThreads{0};

// Message-only window owned by the main thread; sent kMsgSynchronize with the
// method to run in lParam.
class MainThreadCallWindow : public Window {
public:
    MainThreadCallWindow() {
        RegisterClassOnce("VigiloMainThreadCalls");
        CreateHandle("VigiloMainThreadCalls", "", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
    }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kMsgSynchronize) {
            auto* method = reinterpret_cast<const std::function<void()>*>(lp);
            try {
                (*method)();
            } catch (...) {
                // A hand-off never brings the main thread down.
            }
            return 0;
        }
        return Window::OnMessage(msg, wp, lp);
    }
};

HWND g_callWindow = nullptr;

}  // namespace

void InitMainThreadCalls() {
    static MainThreadCallWindow window;
    g_callWindow = window.Handle();
}

TThread::~TThread() = default;

bool TThread::CreateSuspended() {
    handle_.reset(CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, nullptr));
    return static_cast<bool>(handle_);
}

void TThread::Resume() {
    if (handle_) ResumeThread(handle_.get());
}

long TThread::LiveCount() { return g_liveThreads.load(); }

void TThread::Synchronize(const std::function<void()>& method) {
    if (g_callWindow) SendMessageA(g_callWindow, kMsgSynchronize, 0, reinterpret_cast<LPARAM>(&method));
}

DWORD WINAPI TThread::ThreadProc(void* param) {
    auto* self = static_cast<TThread*>(param);
    ++g_liveThreads;
    try {
        self->Execute();
    } catch (...) {
        // An error raised in a monitor (a setting of the wrong type) ends it silently.
    }
    self->finished_ = true;
    --g_liveThreads;
    return 0;
}

}  // namespace vigilo
