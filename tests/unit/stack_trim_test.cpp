// A waiting thread hands back the stack pages its earlier calls used, and
// keeps intact the frames it is still in.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>

#include "platform/stack_trim.h"

using namespace vigilo;

namespace {

constexpr size_t kDeepBytes = 128 * 1024;

// Whether the page of address is in the process's working set.
bool Resident(std::uintptr_t address) {
    using QueryFn = BOOL(WINAPI*)(HANDLE, PVOID, DWORD);
    const auto query = reinterpret_cast<QueryFn>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32QueryWorkingSetEx"));
    if (!query) return true;
    PSAPI_WORKING_SET_EX_INFORMATION info{};
    info.VirtualAddress = reinterpret_cast<void*>(address);
    return query(GetCurrentProcess(), &info, sizeof info) && info.VirtualAttributes.Valid;
}

// A deep call, as a listing is: touches every page of its frame and tells the frame's lowest address.
__attribute__((noinline)) void UseDeepStack(std::uintptr_t* lowest) {
    volatile char frame[kDeepBytes];
    for (size_t at = 0; at < kDeepBytes; at += 4096) frame[at] = 1;
    *lowest = reinterpret_cast<std::uintptr_t>(&frame[0]);
}

}  // namespace

TEST(StackTrim, PagesADeepCallUsedAreHandedBackAndTheCallersFramesKeepTheirContents) {
    std::thread([] {
        volatile char mine[8192];
        std::memset(const_cast<char*>(mine), 0x5A, sizeof mine);
        std::uintptr_t deep = 0;
        UseDeepStack(&deep);
        ASSERT_TRUE(Resident(deep));
        ReleaseUnusedStack();
        EXPECT_FALSE(Resident(deep));
        for (char byte : mine) ASSERT_EQ(byte, 0x5A);
        // Grown into again, the pages serve as before.
        std::uintptr_t again = 0;
        UseDeepStack(&again);
        EXPECT_EQ(again, deep);
    }).join();
}
