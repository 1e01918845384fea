#include "platform/stack_trim.h"

#include <windows.h>

#include <algorithm>

namespace vigilo {
namespace {

constexpr ULONG_PTR kPageSize = 4096;
// Left alone below the caller's frame, for the calls it makes here and is
// about to make: a system call's frames take a few hundred bytes.
constexpr ULONG_PTR kMargin = 4 * kPageSize;

bool Writable(const MEMORY_BASIC_INFORMATION& region) {
    return region.State == MEM_COMMIT && (region.Protect & PAGE_READWRITE) && !(region.Protect & PAGE_GUARD);
}

}  // namespace

void ReleaseUnusedStack() {
    volatile char here = 0;
    const auto frame = reinterpret_cast<ULONG_PTR>(&here) & ~(kPageSize - 1);
    if (frame <= kMargin) return;
    const ULONG_PTR top = frame - kMargin;
    // The stack is one reservation: reserved pages at the bottom, then the
    // guard page, then the committed pages the thread has used.
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(const_cast<char*>(&here), &region, sizeof region)) return;
    auto at = reinterpret_cast<ULONG_PTR>(region.AllocationBase);
    while (at < top && VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof region)) {
        const auto base = reinterpret_cast<ULONG_PTR>(region.BaseAddress);
        const ULONG_PTR end = std::min(base + region.RegionSize, top);
        // MEM_RESET keeps the pages committed: a deeper call later gets fresh ones.
        if (Writable(region)) VirtualAlloc(reinterpret_cast<void*>(base), end - base, MEM_RESET, PAGE_READWRITE);
        at = base + region.RegionSize;
    }
}

}  // namespace vigilo
