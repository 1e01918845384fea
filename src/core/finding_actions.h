#pragma once
// What the user may do with one finding wherever it is shown (a row of the
// findings window, a notification's menu), decided and done in one place so
// that both offer the same.
#include <optional>
#include <string>

#include "core/finding.h"

namespace vigilo {

// The program file to show in Explorer: the finding's program where the path
// rule (platform/data_path.h) accepts it; none for another computer's path,
// a relative one, or a finding that names no program.
std::optional<std::string> FindingFileLocation(const Finding& finding);

// "Don't show this again": adds the finding's exact ignore rule
// (core/ignore_rule_edits.h) and tells the action reporters. False, with
// nothing told, where the finding makes no rule or "Ignore" could not be written.
[[nodiscard]] bool IgnoreFinding(const Finding& finding);

}  // namespace vigilo
