#include "platform/timing_trace.h"

#include <windows.h>

#include <cstdio>

namespace vigilo {

void TraceTiming(const char* event, const std::string& what) {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const long long perSecond = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    const long long micros = now.QuadPart / perSecond * 1000000 + now.QuadPart % perSecond * 1000000 / perSecond;
    char line[600];
    std::snprintf(line, sizeof line, "vigilo timing: %s %lld %.500s\n", event, micros, what.c_str());
    OutputDebugStringA(line);
}

}  // namespace vigilo
