#include "core/event_log.h"

#include <utility>

#include "core/finding_events.h"
#include "core/finding_reporters.h"
#include "core/findings_record.h"
#include "core/setting_names.h"
#include "core/settings_store.h"

namespace vigilo {

bool EventLogSwitchedOn() {
    const UniqueKey key = OpenKey(kSettingsRoot, kVigiloSettingsKey, KEY_QUERY_VALUE);
    DWORD value = 1, type = REG_NONE, size = 0;
    if (!key || QueryFixedValue(key.get(), settings::kEventLog, &value, sizeof(value), type, size) != ERROR_SUCCESS)
        return true;
    return type != REG_DWORD || size != sizeof(value) || value != 0;
}

void LogFindingsToEventLog(EventWriter writer) {
    AddFindingReporter([writer](std::vector<ReportedFinding>& round) {
        if (!EventLogSwitchedOn()) return;
        for (const LoggedEvent& event : EventsOfRound(round)) writer(event);
    });
    AddUserActionReporter([writer = std::move(writer)](const Finding& finding, UserAction action) {
        if (!EventLogSwitchedOn()) return;
        if (const std::optional<LoggedEvent> event = EventOfUserAction(finding, action)) writer(*event);
    });
}

void LogFindingsToApplicationLog() { LogFindingsToEventLog(ApplicationLogWriter(kEventSourceName)); }

}  // namespace vigilo
