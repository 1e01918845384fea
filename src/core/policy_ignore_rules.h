#pragma once
// Ignore rules set by Group Policy: the values of the subkey Ignore under the
// machine's and the user's policy key, each value's text one rule. They are
// added to the user's own rules, which they never change. The policy
// editor's list box takes no TAB, so there a rule's fields may be parted by
// " | " (space, bar, space) instead; the rules are given back in the TAB form
// the user's own rules have.
#include <string>
#include <string_view>
#include <vector>

#include "core/ignore_rules.h"
#include "core/policy.h"

namespace vigilo {

inline constexpr const char* kPolicyIgnoreSubkey = "Ignore";
// What may stand for a TAB between two fields of a rule in policy.
inline constexpr std::string_view kPolicyFieldSeparator = " | ";

// A rule as written in policy, in the TAB form. A line that holds a TAB is
// in that form already and kept as it is (so a name with " | " in it can
// still be written); in any other, each " | " becomes a TAB.
std::string IgnoreLineOfPolicy(std::string_view text);

// The policy's rules in the TAB form, unchecked (ParseIgnoreRules checks
// them): the machine's, then the user's, each key's in the registry's order.
// A value counts when it is REG_SZ or REG_EXPAND_SZ (left unexpanded) and not
// empty; at most kMostIgnoreRules are taken in all, the machine's first.
std::vector<std::string> PolicyIgnoreLines(const PolicyPlace& place = kVigiloPolicy);

// The rules in effect: the user's own, then the policy's.
std::vector<IgnoreRule> ReadIgnoreRules();
// The findings without those that match a rule in effect.
std::vector<Finding> WithoutIgnored(std::vector<Finding> findings);
// Whether finding matches a rule in effect of its kind.
bool IsIgnored(const Finding& finding);

}  // namespace vigilo
