#pragma once
// What the user never wants to be told of: the REG_MULTI_SZ value "Ignore"
// under HKCU\Software\Purgeon\Vigilo, one rule a line,
//
//   kind<TAB>pattern
//
// kind being "program", "startup", "extension" or "junk" (the words of the
// record of findings), the pattern a name in which "*" stands for any run of
// characters and "?" for one, letter case ignored ordinally in every script,
// as Windows compares names. A finding whose name matches a rule of its kind
// is neither shown nor recorded. The rules are read afresh at each finding,
// like the settings. A value of another type holds no rules; a line without a
// TAB, of another kind, or of more than 260 characters is skipped; rules past
// the 256th are ignored. Where the value is absent Vigilo writes a default
// list at start (the updaters that add a new entry at every update); a value
// the user emptied stays empty.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/finding.h"

namespace vigilo {

inline constexpr const char* kIgnoreRulesValue = "Ignore";
inline constexpr size_t kMostIgnoreRules = 256;
// A longer line (in UTF-16 characters, kind and TAB included) is skipped.
inline constexpr size_t kLongestIgnoreRule = 260;

struct IgnoreRule {
    FindingKind kind;
    std::string pattern;
};

// Whether name matches pattern: "*" any run of characters (none too), "?"
// exactly one (a surrogate pair being one), every other character itself with
// letter case ignored ordinally. Takes at most pattern x name steps.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// The rules of the value's lines, in order, within the bounds above.
std::vector<IgnoreRule> ParseIgnoreRules(const std::vector<std::string>& lines);
// The stored rules; none when the value is missing or of another type.
std::vector<IgnoreRule> ReadIgnoreRules();
// Rules made ready for many names (a round's findings): each pattern is
// folded once, not once per name.
class IgnoreMatcher {
public:
    explicit IgnoreMatcher(const std::vector<IgnoreRule>& rules);
    // Whether a finding of kind named name matches one of the rules of its kind.
    bool Matches(FindingKind kind, const std::string& name) const;

private:
    std::vector<std::pair<FindingKind, std::u32string>> folded_;
};

// Whether a finding of kind named name matches a stored rule of its kind.
bool IsIgnored(FindingKind kind, const std::string& name);

// The lines written where the value is absent.
std::vector<std::string> DefaultIgnoreLines();
// Writes the default list where the value is absent; a value that exists,
// empty or of another type, is left as it is.
void WriteDefaultIgnoreRulesWhereAbsent();

}  // namespace vigilo
