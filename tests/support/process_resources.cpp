#include "support/process_resources.h"

#include <psapi.h>

#include <vector>

namespace vigilo::test {
namespace {

// The system handle table's layout (SystemHandleInformation, class 16).
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandleTable {
    ULONG count;
    SystemHandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// The head of one process's entry in the system's process list (SystemProcessInformation, class 5).
struct SystemProcessEntry {
    ULONG nextEntryOffset;
    ULONG threadCount;
    LARGE_INTEGER workingSetPrivateSize;
    ULONG hardFaultCount;
    ULONG threadCountHighWatermark;
    ULONGLONG cycleTime;
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    USHORT nameLength;
    USHORT nameMaximumLength;
    PWSTR name;
    LONG basePriority;
    HANDLE processId;
};

DWORD HandlesInSystemTable(DWORD pid) {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<BYTE> buffer(1 << 20);
    LONG status;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0) return 0;
    const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerPid == pid;
    return count;
}

struct WindowCount {
    DWORD pid;
    DWORD count = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++reinterpret_cast<WindowCount*>(lp)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM lp) {
    auto* windows = reinterpret_cast<WindowCount*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != windows->pid) return TRUE;
    ++windows->count;
    EnumChildWindows(window, &CountChild, lp);
    return TRUE;
}

DWORD WindowsOf(DWORD pid) {
    WindowCount windows{pid};
    EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;)
        CountTopLevel(w, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

}  // namespace

ProcessResources ResourcesOf(HANDLE process) {
    ProcessResources r;
    const DWORD pid = GetProcessId(process);
    if (!GetProcessHandleCount(process, &r.handles) || r.handles == 0) r.handles = HandlesInSystemTable(pid);
    r.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    r.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    r.windows = WindowsOf(pid);
    PROCESS_MEMORY_COUNTERS memory{};
    if (K32GetProcessMemoryInfo(process, &memory, sizeof memory)) r.workingSet = memory.WorkingSetSize;
    return r;
}

double CpuMilliseconds(HANDLE process) {
    // Wine answers GetProcessTimes for another process from its start alone;
    // the system's process list carries the times of every thread.
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kSystemProcessInformation = 5;
    std::vector<BYTE> buffer(1 << 18);
    LONG status = -1;
    ULONG needed = 0;
    while (query && (status = query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                    &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    const DWORD pid = GetProcessId(process);
    for (size_t at = 0; status >= 0 && at + sizeof(SystemProcessEntry) <= buffer.size();) {
        const auto* entry = reinterpret_cast<const SystemProcessEntry*>(buffer.data() + at);
        if (reinterpret_cast<DWORD_PTR>(entry->processId) == pid)
            return (entry->userTime.QuadPart + entry->kernelTime.QuadPart) / 1e4;
        if (!entry->nextEntryOffset) break;
        at += entry->nextEntryOffset;
    }
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    auto ms = [](const FILETIME& t) { return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

std::string Describe(const char* name, const ProcessResources& r) {
    return std::string(name) + ": handles " + std::to_string(r.handles) + ", GDI " + std::to_string(r.gdiObjects) +
           ", USER " + std::to_string(r.userObjects) + ", windows " + std::to_string(r.windows) + ", working set " +
           std::to_string(r.workingSet / 1024) + " KiB";
}

}  // namespace vigilo::test
