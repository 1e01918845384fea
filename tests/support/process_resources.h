#pragma once
// What the system counts for a process: handles, GDI and USER objects, its
// windows and its working set. Wine counts GDI and USER objects as zero and
// has no per-process handle count; the handles are then counted in the
// system's handle table.
#include <windows.h>

#include <string>

namespace vigilo::test {

struct ProcessResources {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    DWORD windows = 0;  // top-level, child and message-only windows of its threads
    SIZE_T workingSet = 0;  // bytes
};

// process needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
ProcessResources ResourcesOf(HANDLE process);
// The CPU time the process has used so far, user and kernel, in milliseconds.
double CpuMilliseconds(HANDLE process);
// One line for a test's log: "name: handles 12, GDI 3, USER 4, windows 9, working set 5120 KiB".
std::string Describe(const char* name, const ProcessResources& r);

}  // namespace vigilo::test
