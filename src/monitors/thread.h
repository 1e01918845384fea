#pragma once
// A background thread in the shape the monitors use: created suspended, its
// fields set, then resumed; asked to terminate by a flag it checks itself;
// never freed while the program runs. Synchronize runs a method on the main
// thread and blocks the caller until it has returned: the call is a message
// sent to a hidden window of the main thread, so every message loop there
// serves it (the main loop, modal loops, the popup menu's tracking loop and
// the pump of WaitSeconds).
#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/unique_handle.h"

namespace vigilo {

class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread();

    // Creates the OS thread suspended; false when that failed.
    bool CreateSuspended();
    void Resume();
    // Asks the thread to end at its next check; does not wait.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // The thread body has returned (or ended by an exception).
    bool Finished() const { return finished_; }
    HANDLE ThreadHandle() const { return handle_.get(); }

    // Number of TThread bodies running right now, process-wide.
    static long LiveCount();

protected:
    TThread() = default;
    virtual void Execute() = 0;
    // Runs method on the main thread and waits for it; returns at once when
    // the main thread's window is gone (the program is ending).
    void Synchronize(const std::function<void()>& method);

private:
    static DWORD WINAPI ThreadProc(void* self);
    UniqueKernelHandle handle_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
};

// Creates the main thread's hidden window that serves Synchronize. Call once
// on the main thread before the first thread starts.
void InitMainThreadCalls();

}  // namespace vigilo
