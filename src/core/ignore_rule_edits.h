#pragma once
// The ignore rules (core/ignore_rules.h) as the user edits them without the
// registry: the exact rule a finding gives, where it makes a rule; each line
// of "Ignore" listed with its fields, whether it is a default rule or one an
// administrator set by policy, or why it is no rule; and lines added and
// removed. Every change reads the value afresh and writes it whole, keeping
// each other line as the user wrote it.
#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"

namespace vigilo {

// The exact rule for finding (ExactIgnoreLine), where it makes a rule that
// names the finding whole: empty where the finding has no name, or a field
// would be longer than a rule's field may be or hold a TAB, a line end or a NUL.
std::optional<std::string> OfferedIgnoreLine(const Finding& finding);

// Appends line, unless a line the same is there already; false when "Ignore" could not be written.
[[nodiscard]] bool AddIgnoreLine(const std::string& line);
// Removes one stored line the same as each of lines; false when "Ignore" could not be written.
[[nodiscard]] bool RemoveIgnoreLines(const std::vector<std::string>& lines);

struct ListedIgnoreLine {
    std::string line;
    std::vector<std::string> fields;  // kind, name, program, signer: as many as the line has
    bool isDefault = false;            // one of the rules written where "Ignore" was missing
    bool byPolicy = false;             // set by an administrator; the user cannot remove it
    std::string notRule;               // why the line is no rule, from the language file; empty for a rule
};
// The user's lines, then the policy's, as the Ignored tab lists them.
std::vector<ListedIgnoreLine> ListIgnoreLines(const std::vector<std::string>& userLines,
                                              const std::vector<std::string>& policyLines);

}  // namespace vigilo
