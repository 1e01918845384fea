#include "core/event_log.h"

#include <utility>

#include "core/finding_events.h"
#include "core/finding_reporters.h"
#include "core/findings_record.h"
#include "core/policy.h"

namespace vigilo {

void LogFindingsToEventLog(EventWriter writer) {
    AddFindingReporter([writer](std::vector<ReportedFinding>& round) {
        if (!EventLogOn()) return;
        for (const LoggedEvent& event : EventsOfRound(round)) writer(event);
    });
    AddUserActionReporter([writer = std::move(writer)](const Finding& finding, UserAction action) {
        if (!EventLogOn()) return;
        if (const std::optional<LoggedEvent> event = EventOfUserAction(finding, action)) writer(*event);
    });
}

void LogFindingsToApplicationLog() { LogFindingsToEventLog(ApplicationLogWriter(kEventSourceName)); }

}  // namespace vigilo
