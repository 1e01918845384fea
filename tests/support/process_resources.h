#pragma once
// What the system counts for a process: handles, GDI and USER objects, and
// its working set (Wine counts some of these as zero).
#include <windows.h>

#include <string>

namespace vigilo::test {

struct ProcessResources {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    SIZE_T workingSet = 0;  // bytes
};

// process needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
ProcessResources ResourcesOf(HANDLE process);
// One line for a test's log: "name: handles 12, GDI 3, USER 4, working set 5120 KiB".
std::string Describe(const char* name, const ProcessResources& r);

}  // namespace vigilo::test
