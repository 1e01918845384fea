#pragma once
// The ignore rules (core/ignore_rules.h) as the user edits them without the
// registry: from a finding, the exact rule that keeps that finding's kind,
// stored name and program off the screen and out of the record; each line
// of "Ignore" listed with its fields, whether it is a default rule or one an
// administrator set by policy, or why it is no rule; and lines added and
// removed. Every change reads the value afresh and writes it whole, keeping
// each other line as the user wrote it.
#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"

namespace vigilo {

// "kind<TAB>=stored name", and "<TAB>=program" where the finding has a
// program: "=" makes a field exact, so "*" and "?" in a name are plain
// characters. The stored name is the shown one where the finding has none.
// Empty where a field would be longer than a rule's field may be or hold a
// line end, TAB or NUL, or where the finding has no name.
std::optional<std::string> ExactIgnoreLine(const Finding& finding);

// The lines of "Ignore" as stored, in order; none when it is missing or of another type.
std::vector<std::string> ReadIgnoreLines();
// Appends line, unless a line the same is there already; false when "Ignore" could not be written.
[[nodiscard]] bool AddIgnoreLine(const std::string& line);
// Removes one stored line the same as each of lines; false when "Ignore" could not be written.
[[nodiscard]] bool RemoveIgnoreLines(const std::vector<std::string>& lines);

struct ListedIgnoreLine {
    std::string line;
    std::vector<std::string> fields;  // kind, name, program, signer: as many as the line has
    bool isDefault = false;            // one of the rules written where "Ignore" was missing
    bool byPolicy = false;             // set by an administrator; the user cannot remove it
    std::string notRule;               // why the line is no rule; empty for a rule
};
// The user's lines, then the policy's, as the Ignored tab lists them.
std::vector<ListedIgnoreLine> ListIgnoreLines(const std::vector<std::string>& userLines,
                                              const std::vector<std::string>& policyLines);

}  // namespace vigilo
