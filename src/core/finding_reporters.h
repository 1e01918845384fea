#pragma once
// Who else is told of every finding once its fate is known (shown, held or
// not shown), and of what the user then does with it: the history of
// findings and the event log register here at start. Each round of findings
// (a watch's round, a junk check) is told to them together, in listing
// order, before its window shows; a reporter may give a finding its history
// id, which the window then knows it by. Ignored findings are never told.
// Main thread only.
#include <functional>
#include <vector>

#include "core/finding.h"

namespace vigilo {

struct ReportedFinding {
    Finding finding;
    Presentation presentation = Presentation::Dropped;
};

using FindingReporter = std::function<void(std::vector<ReportedFinding>& round)>;

// Adds a reporter, told of every round from now on, after those added before it.
void AddFindingReporter(FindingReporter reporter);
// Removes every reporter of both kinds (the program ends; a test is done).
void ClearFindingReporters();
// Tells every reporter of round.
void ReportFindings(std::vector<ReportedFinding>& round);

// What the user did with a finding, from one of Vigilo's windows.
enum class UserAction {
    Disabled,  // disabled at Windows start-up
    Enabled,   // enabled again at Windows start-up
    Ignored,   // "Don't show this again": an exact ignore rule was added
};
using UserActionReporter = std::function<void(const Finding& finding, UserAction action)>;
void AddUserActionReporter(UserActionReporter reporter);
// Tells every reporter that the user did action with finding.
void ReportUserAction(const Finding& finding, UserAction action);

}  // namespace vigilo
