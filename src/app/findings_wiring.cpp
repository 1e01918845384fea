#include "app/findings_wiring.h"

#include "core/finding_reporters.h"
#include "core/findings_history.h"
#include "core/policy_ignore_rules.h"
#include "windows/findings_window.h"

namespace vigilo {
namespace {

FindingsHistory& History() {
    static FindingsHistory history(FindingsHistoryPath());
    return history;
}

}  // namespace

void StartFindingsHistory() {
    // The window learns of a round once the history has given its findings their ids.
    AddFindingReporter([](std::vector<ReportedFinding>& round) { AddToFindingsWindow(History().Record(round)); });
    AddUserActionReporter([](const Finding& finding, UserAction action) { History().RecordAction(finding, action); });
}

void OpenFindingsWindow() {
    FindingsWindowSeams seams{History().Path()};
    seams.policyIgnoreLines = [] { return PolicyIgnoreLines(); };
    ShowFindingsWindow(std::move(seams));
}

}  // namespace vigilo
