#include "core/policy_ignore_rules.h"

#include "core/ignore_rules.h"
#include "platform/registry.h"

namespace vigilo {
namespace {

// Adds the key's rules while fewer than kMostIgnoreRules are taken, so that
// the policy's rules, checked together, all fit within the rules' bound.
void AddLinesOf(HKEY root, const std::string& path, std::vector<std::string>& lines) {
    const UniqueKey key = OpenKey(root, path, KEY_QUERY_VALUE);
    if (!key) return;
    for (const NamedValue& named : Values(key.get())) {
        if (lines.size() == kMostIgnoreRules) return;
        const std::string text = StringValue(named.value);
        if (!text.empty()) lines.push_back(IgnoreLineOfPolicy(text));
    }
}

}  // namespace

std::string IgnoreLineOfPolicy(std::string_view text) {
    if (text.find('\t') != std::string_view::npos) return std::string(text);
    std::string line;
    line.reserve(text.size());
    // Each search starts past the last separator found: one pass over the text.
    size_t start = 0;
    for (size_t at = text.find(kPolicyFieldSeparator); at != std::string_view::npos;
         at = text.find(kPolicyFieldSeparator, start)) {
        line.append(text.substr(start, at - start));
        line += '\t';
        start = at + kPolicyFieldSeparator.size();
    }
    line.append(text.substr(start));
    return line;
}

std::vector<std::string> PolicyIgnoreLines(const PolicyPlace& place) {
    const std::string path = place.path + "\\" + kPolicyIgnoreSubkey;
    std::vector<std::string> lines;
    AddLinesOf(place.machineRoot, path, lines);
    AddLinesOf(place.userRoot, path, lines);
    return lines;
}

std::vector<IgnoreRule> ReadIgnoreRules() {
    // Each source has its own bound: a user's long list does not push out an admin's rules.
    std::vector<IgnoreRule> rules = ParseIgnoreRules(ReadIgnoreLines());
    for (IgnoreRule& rule : ParseIgnoreRules(PolicyIgnoreLines())) rules.push_back(std::move(rule));
    return rules;
}

std::vector<Finding> WithoutIgnored(std::vector<Finding> findings) {
    if (findings.empty()) return findings;
    const IgnoreMatcher ignored(ReadIgnoreRules());
    std::erase_if(findings, [&](const Finding& finding) { return ignored.Matches(finding); });
    return findings;
}

bool IsIgnored(const Finding& finding) { return IgnoreMatcher(ReadIgnoreRules()).Matches(finding); }

}  // namespace vigilo
