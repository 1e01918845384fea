#pragma once
// A thread that runs one job for the main thread and is joined by its
// owner: the job tells the main thread itself when it is done (it posts a
// message), and the owner joins the thread before it uses the job's result
// or goes. Never detached: a job still running when its owner goes is waited
// for, so the owner must first ask it to stop by a flag of its own.
#include <windows.h>

#include <functional>

#include "platform/unique_handle.h"

namespace vigilo {

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() { Join(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs job on a new thread, after joining the one before; false when no
    // thread could be made (job does not run).
    bool Start(std::function<void()> job);
    // Waits until the job has returned and releases the thread; returns at
    // once when none was started.
    void Join();
    // A thread was started and not yet joined.
    bool Started() const { return static_cast<bool>(handle_); }

private:
    static DWORD WINAPI Run(void* self);
    std::function<void()> job_;
    UniqueKernelHandle handle_;
};

}  // namespace vigilo
