#pragma once
// A background thread in the shape the monitors use: created suspended, its
// fields set, then resumed; asked to terminate by a flag it checks itself;
// never freed while it may still run. Synchronize runs a method on the main
// thread and blocks the caller until it has returned: the call is queued in
// the process and a message without parameters, sent to a message-only
// window of the main thread, wakes it to run the queue. A sent message is
// served by every way the main thread takes its messages (GetMessage,
// PeekMessage and the waits that wake for input), so the main loop, the
// error box's and the popup menu's tracking loop all serve it. A monitor thread itself never handles messages: it waits with
// WaitTerminated, on its own time and its terminate event.
#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/unique_handle.h"

namespace vigilo {

class MonitorThread {
public:
    MonitorThread(const MonitorThread&) = delete;
    MonitorThread& operator=(const MonitorThread&) = delete;
    // Only for a thread that has ended or was never resumed; a thread that
    // was created but never resumed is ended here without running its body.
    virtual ~MonitorThread();

    // Creates the OS thread suspended; false when that failed.
    bool CreateSuspended();
    void Resume();
    // Asks the thread to end at its next check, and wakes it where it waits
    // for TerminateEvent; does not wait.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Signalled once the thread is told to terminate, so that a thread can
    // block on its work and on this together instead of waking to look.
    HANDLE TerminateEvent() const { return terminateEvent_.get(); }
    // Blocks the calling thread (this one) for `seconds`, or less when it is
    // told to terminate meanwhile; true when it was. Handles no messages.
    bool WaitTerminated(int seconds) const;
    // The thread body has returned (or ended by an exception).
    bool Finished() const { return finished_; }
    HANDLE ThreadHandle() const { return handle_.get(); }

    // Number of MonitorThread bodies running right now, process-wide.
    static long LiveCount();

protected:
    MonitorThread() = default;
    virtual void Execute() = 0;
    // Runs method on the main thread and waits until it has returned. An
    // exception thrown by method is raised again here, on the calling thread.
    // Returns at once, without running method, when the main thread's call
    // window does not exist (not set up, or the program is ending).
    void Synchronize(const std::function<void()>& method);

private:
    static DWORD WINAPI ThreadProc(void* self);
    UniqueKernelHandle handle_;
    UniqueKernelHandle terminateEvent_;
    bool resumed_ = false;
    std::atomic<bool> cancelled_{false};  // destroyed before it was ever resumed
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
};

// Creates the main thread's message-only window that serves Synchronize.
// Call on the main thread before the first thread starts; later calls do nothing.
void InitMainThreadCalls();
// Whether the calling thread is the one that serves Synchronize.
bool OnMainThread();
// Queues task to run on the main thread, from its message loop, and returns
// at once; from the main thread too (a window's end, say, that must not run
// inside the window's own message). Dropped when the call window is gone.
void PostToMainThread(std::function<void()> task);

}  // namespace vigilo
