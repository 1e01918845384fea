#pragma once
// The Application log's events for findings, as an admin's collector reads
// them: one stable event ID and type per kind of event (assets/
// event_messages.mc holds their sentences), and every finding's insertion
// strings in one fixed order:
//
//   %1 the kind's word (FindingKind), %2 the name shown, %3 the name as
//   stored, %4 the place, %5 the program file, %6 the signer line,
//   %7 "shown", "held" or "not shown"
//
// A user's action on a finding carries the same first six, and in %7 what
// was done ("disabled" or "enabled"). Each string is cut to
// kMostEventStringCharacters, so that no name from outside makes an event
// too large to write.
#include <optional>
#include <vector>

#include "core/finding.h"
#include "core/finding_reporters.h"
#include "platform/event_log_writer.h"

namespace vigilo {

// The source Vigilo's events are written under.
inline constexpr const char* kEventSourceName = "Vigilo";
// A round writes at most this many findings' events, and one more counting the rest.
inline constexpr size_t kMostEventsPerRound = 10;
inline constexpr size_t kMostEventStringCharacters = 2048;

// The event of a finding whose window presented it so.
LoggedEvent EventOfFinding(const Finding& finding, Presentation presentation);
// The events of a round, in its order: the first kMostEventsPerRound
// findings', and where there were more, the event that counts the rest.
std::vector<LoggedEvent> EventsOfRound(const std::vector<ReportedFinding>& round);
// The event of what the user did with a finding; none for an action the log
// does not tell (an ignore rule added).
std::optional<LoggedEvent> EventOfUserAction(const Finding& finding, UserAction action);

}  // namespace vigilo
