#pragma once
// Every finding in the Windows Application log, for whoever looks after many
// machines and collects their logs: each round of findings told to the
// reporters (core/finding_reporters.h) becomes its events
// (core/finding_events.h), and so does each user's action on an entry,
// while the setting EventLog lets it. Main thread only, as the reporters.
#include "platform/event_log_writer.h"

namespace vigilo {

// Whether findings go to the log now: the REG_DWORD EventLog under
// HKCU\Software\Purgeon\Vigilo, read afresh at each call. Only 0 switches it
// off; missing, or of another type, it is on.
bool EventLogSwitchedOn();

// From now on, every round and user action is written through writer while
// the log is switched on.
void LogFindingsToEventLog(EventWriter writer);
// The same to the Application log under the source "Vigilo".
void LogFindingsToApplicationLog();

}  // namespace vigilo
