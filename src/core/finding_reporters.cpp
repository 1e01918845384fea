#include "core/finding_reporters.h"

#include <utility>

namespace vigilo {
namespace {

std::vector<FindingReporter>& Reporters() {
    static std::vector<FindingReporter> reporters;
    return reporters;
}

std::vector<UserActionReporter>& ActionReporters() {
    static std::vector<UserActionReporter> reporters;
    return reporters;
}

}  // namespace

void AddFindingReporter(FindingReporter reporter) { Reporters().push_back(std::move(reporter)); }

void ClearFindingReporters() {
    Reporters().clear();
    ActionReporters().clear();
}

void ReportFindings(std::vector<ReportedFinding>& round) {
    if (round.empty()) return;
    for (const FindingReporter& reporter : Reporters()) reporter(round);
}

void AddUserActionReporter(UserActionReporter reporter) { ActionReporters().push_back(std::move(reporter)); }

void ReportUserAction(const Finding& finding, UserAction action) {
    for (const UserActionReporter& reporter : ActionReporters()) reporter(finding, action);
}

}  // namespace vigilo
