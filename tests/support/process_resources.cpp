#include "support/process_resources.h"

#include <psapi.h>

namespace vigilo::test {

ProcessResources ResourcesOf(HANDLE process) {
    ProcessResources r;
    GetProcessHandleCount(process, &r.handles);
    r.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    r.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS memory{};
    if (K32GetProcessMemoryInfo(process, &memory, sizeof memory)) r.workingSet = memory.WorkingSetSize;
    return r;
}

std::string Describe(const char* name, const ProcessResources& r) {
    return std::string(name) + ": handles " + std::to_string(r.handles) + ", GDI " + std::to_string(r.gdiObjects) +
           ", USER " + std::to_string(r.userObjects) + ", working set " + std::to_string(r.workingSet / 1024) +
           " KiB";
}

}  // namespace vigilo::test
