#include "platform/deadline_call.h"

#include <windows.h>

#include <atomic>

#include "platform/stack_trim.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

// A checker thread needs little stack; the reservation costs no memory.
constexpr SIZE_T kStackReservation = 512 * 1024;

std::atomic<long> unfinished{0};

// Shared by the caller and the thread; the last of them to let go frees it.
struct Call {
    std::function<void()> work;
    UniqueKernelHandle done;
};

DWORD WINAPI RunCall(void* parameter) {
    // Under Wine the stack Wine touched for the thread outlives it until another thread ends.
    ReleaseUnusedStack();
    std::unique_ptr<std::shared_ptr<Call>> call(static_cast<std::shared_ptr<Call>*>(parameter));
    try {
        (*call)->work();
    } catch (...) {
        // A failed work ends without a result.
    }
    SetEvent((*call)->done.get());
    call.reset();
    --unfinished;
    return 0;
}

}  // namespace

bool RunWithDeadline(std::function<void()> work, unsigned waitMs) {
    auto call = std::make_shared<Call>();
    call->work = std::move(work);
    call->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!call->done) return false;
    auto* threadsShare = new std::shared_ptr<Call>(call);
    ++unfinished;
    HANDLE thread = CreateThread(nullptr, kStackReservation, &RunCall, threadsShare, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                 nullptr);
    if (!thread) {
        --unfinished;
        delete threadsShare;
        return false;
    }
    CloseHandle(thread);  // the thread ends by itself; nobody waits for it but through done
    return WaitForSingleObject(call->done.get(), waitMs) == WAIT_OBJECT_0;
}

long UnfinishedDeadlineCalls() { return unfinished.load(); }

}  // namespace vigilo
