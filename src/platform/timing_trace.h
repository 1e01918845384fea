#pragma once
// Moments of a finding's way from its change to its window, written to the
// system's debug output (OutputDebugString: DebugView on Windows, Wine's
// "debugstr" channel), so that a benchmark can tell where the time goes:
//
//   vigilo timing: <event> <microseconds> <what>
//
// the microseconds on the system-wide performance counter, which every
// process reads alike. Without a debugger listening it costs a few
// microseconds and shows nowhere.
#include <string>

namespace vigilo {

void TraceTiming(const char* event, const std::string& what);

}  // namespace vigilo
