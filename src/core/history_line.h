#pragma once
// One line of the history of findings (core/findings_history.h): a JSON
// object on a line of its own, in one of two shapes. A finding:
//
//   {"id":7,"time":"2026-03-07T09:01:02Z","kind":"startup","event":"added",
//    "name":"Updater","storedName":"Updater","place":"HKEY_CURRENT_USER (64-bit view)\\Software\\...\\Run",
//    "program":"C:\\Tools\\updater.exe","signer":"signed:Example Ltd","signerLine":"Signed by Example Ltd",
//    "approved":{"root":"HKEY_CURRENT_USER","list":"Run","value":"Updater"},"window":"shown"}
//
// (on one line), and what the user did with one, naming its id:
//
//   {"time":"2026-03-07T09:02:10Z","action":"disabled","finding":7}
//
// "kind" is the record's word (core/finding.h); "event" "added", "changed"
// or "turned back on"; "window" "shown", "held" or "not shown"; "action"
// "disabled", "enabled" or "ignored". A finding's texts that are empty, and
// "approved" where it has no StartupApproved value, are left out. Texts are
// written as Vigilo holds them, UTF-8 with every control character escaped,
// so a name in any script, with quotes, backslashes, TABs or a NUL, comes
// back as it was (a lone surrogate, which no Unicode text holds, as U+FFFD).
// A line that is no such object, or that has a field of another type or a
// word outside these, is no line of the history.
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/finding.h"
#include "core/finding_reporters.h"

namespace vigilo {

struct HistoryFinding {
    Finding finding;  // historyId is its id, above 0
    std::string time;  // UTC, ISO 8601: "2026-03-07T09:01:02Z"
    Presentation presentation = Presentation::Dropped;
};

struct HistoryAction {
    long long findingId = 0;
    UserAction action = UserAction::Disabled;
    std::string time;
};

using HistoryLine = std::variant<HistoryFinding, HistoryAction>;

// The line of a finding or an action, without its line end.
std::string HistoryFindingLine(const HistoryFinding& entry);
std::string HistoryActionLine(const HistoryAction& entry);
// What a line says; empty for any line not in the shapes above. Time linear
// in the line's length, whatever it holds.
std::optional<HistoryLine> ParseHistoryLine(std::string_view line);

}  // namespace vigilo
