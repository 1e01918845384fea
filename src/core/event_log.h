#pragma once
// Every finding in the Windows Application log, for whoever looks after many
// machines and collects their logs: each round of findings told to the
// reporters (core/finding_reporters.h) becomes its events
// (core/finding_events.h), and so does each user's action on an entry,
// while EventLog (the policy's, else the user's) lets it. Main thread only, as
// the reporters.
#include "platform/event_log_writer.h"

namespace vigilo {

// From now on, every round and user action is written through writer while
// the log is switched on.
void LogFindingsToEventLog(EventWriter writer);
// The same to the Application log under the source "Vigilo".
void LogFindingsToApplicationLog();

}  // namespace vigilo
