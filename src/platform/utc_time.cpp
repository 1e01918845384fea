#include "platform/utc_time.h"

#include <cstdio>

namespace vigilo {
namespace {

std::string TimeText(const SYSTEMTIME& t, char between, const char* end) {
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u%c%02u:%02u:%02u%s", t.wYear % 10000u, t.wMonth % 100u,
                  t.wDay % 100u, between, t.wHour % 100u, t.wMinute % 100u, t.wSecond % 100u, end);
    return text;
}

// The number of `digits` decimal digits at text[at], or -1.
int Digits(std::string_view text, size_t at, size_t digits) {
    int value = 0;
    for (size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

SYSTEMTIME UtcNow() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return now;
}

std::string IsoUtcText(const SYSTEMTIME& utc) { return TimeText(utc, 'T', "Z"); }

std::optional<SYSTEMTIME> ParseIsoUtcText(std::string_view text) {
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != kShape.size()) return std::nullopt;
    for (size_t i = 0; i < kShape.size(); ++i)
        if (kShape[i] != 'd' && text[i] != kShape[i]) return std::nullopt;
    const int parts[] = {Digits(text, 0, 4),  Digits(text, 5, 2),  Digits(text, 8, 2),
                         Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2)};
    for (int part : parts)
        if (part < 0) return std::nullopt;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(parts[0]);
    time.wMonth = static_cast<WORD>(parts[1]);
    time.wDay = static_cast<WORD>(parts[2]);
    time.wHour = static_cast<WORD>(parts[3]);
    time.wMinute = static_cast<WORD>(parts[4]);
    time.wSecond = static_cast<WORD>(parts[5]);
    // The system checks the calendar: 31 April, hour 24, year 1600 fail.
    FILETIME checked{};
    if (!SystemTimeToFileTime(&time, &checked)) return std::nullopt;
    FileTimeToSystemTime(&checked, &time);  // fills in the day of the week
    return time;
}

LocalTimes::LocalTimes() : known_(GetTimeZoneInformation(&zone_) != TIME_ZONE_ID_INVALID) {}

std::string LocalTimes::Text(const SYSTEMTIME& utc) const {
    SYSTEMTIME local{};
    SYSTEMTIME copy = utc;
    TIME_ZONE_INFORMATION zone = zone_;
    if (!known_ || !SystemTimeToTzSpecificLocalTime(&zone, &copy, &local)) return TimeText(utc, ' ', "");
    return TimeText(local, ' ', "");
}

}  // namespace vigilo
