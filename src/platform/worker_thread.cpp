#include "platform/worker_thread.h"

namespace vigilo {

bool WorkerThread::Start(std::function<void()> job) {
    Join();
    job_ = std::move(job);
    handle_.reset(CreateThread(nullptr, 0, &WorkerThread::Run, this, 0, nullptr));
    if (!handle_) job_ = nullptr;
    return Started();
}

void WorkerThread::Join() {
    if (!handle_) return;
    WaitForSingleObject(handle_.get(), INFINITE);
    handle_.reset();
    job_ = nullptr;
}

DWORD WINAPI WorkerThread::Run(void* self) {
    try {
        static_cast<WorkerThread*>(self)->job_();
    } catch (...) {
        // A job reports through its own result; an exception must not end the process.
    }
    return 0;
}

}  // namespace vigilo
