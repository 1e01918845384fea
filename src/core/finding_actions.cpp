#include "core/finding_actions.h"

#include "core/finding_reporters.h"
#include "core/ignore_rule_edits.h"
#include "platform/data_path.h"

namespace vigilo {

std::optional<std::string> FindingFileLocation(const Finding& finding) {
    if (finding.program.empty()) return std::nullopt;
    return AcceptedDataPath(finding.program);
}

bool IgnoreFinding(const Finding& finding) {
    const std::optional<std::string> line = OfferedIgnoreLine(finding);
    if (!line || !AddIgnoreLine(*line)) return false;
    ReportUserAction(finding, UserAction::Ignored);
    return true;
}

}  // namespace vigilo
