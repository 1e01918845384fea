#pragma once
// Date-times as the settings store keeps them: days since 30 December 1899
// at midnight, local time; the fraction is the time of day.
#include <windows.h>

namespace vigilo {

using DateTime = double;

DateTime Now();
DateTime DateTimeFromSystemTime(const SYSTEMTIME& st);

}  // namespace vigilo
