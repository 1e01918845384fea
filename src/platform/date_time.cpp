#include "platform/date_time.h"

namespace vigilo {

DateTime DateTimeFromSystemTime(const SYSTEMTIME& st) {
    // FILETIME counts 100 ns steps since 1 January 1601; 30 December 1899 is
    // 109205 days later.
    FILETIME ft;
    SYSTEMTIME copy = st;
    if (!SystemTimeToFileTime(&copy, &ft)) return 0.0;
    ULARGE_INTEGER ticks;
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    constexpr double kTicksPerDay = 864000000000.0;
    return static_cast<double>(ticks.QuadPart) / kTicksPerDay - 109205.0;
}

DateTime Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return DateTimeFromSystemTime(st);
}

}  // namespace vigilo
