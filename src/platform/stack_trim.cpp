#include "platform/stack_trim.h"

#include <windows.h>

namespace vigilo {
namespace {

constexpr ULONG_PTR kPageSize = 4096;
// Left alone below the caller's frame, for the calls it is about to make.
constexpr ULONG_PTR kMargin = 16 * kPageSize;

}  // namespace

void ReleaseUnusedStack() {
    const auto* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
    volatile char here = 0;
    const auto low = reinterpret_cast<ULONG_PTR>(tib->StackLimit);
    const auto frame = reinterpret_cast<ULONG_PTR>(&here) & ~(kPageSize - 1);
    if (frame < low + kMargin + kPageSize) return;  // only what is in use is committed
    const ULONG_PTR top = frame - kMargin;
    // MEM_RESET keeps the pages committed: a deeper call later gets fresh ones.
    VirtualAlloc(reinterpret_cast<void*>(low), top - low, MEM_RESET, PAGE_READWRITE);
}

}  // namespace vigilo
