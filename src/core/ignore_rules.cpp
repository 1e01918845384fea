#include "core/ignore_rules.h"

#include <windows.h>

#include "core/findings_record.h"
#include "core/settings_store.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr char kSeparator = '\t';

// Updaters that register a new task or service at every update, each under a
// name of its own (a GUID, a version, a time or the user's SID in it): every
// update would be a finding. The README gives the reason for each line.
constexpr const char* kDefaultPatterns[] = {
    "GoogleUpdate*Task*",                      // Google Update's tasks, Core and UA, with a GUID
    "GoogleUpdater*Task*",                     // the newer Google updater's tasks, with its version
    "Google Updater*Service*",                 // and its two services, with its version
    "MicrosoftEdgeUpdateTask*",                // Microsoft Edge Update's tasks, with a GUID or SID
    "OneDrive Standalone Update Task-S-1-5-*",  // OneDrive's updater, per user's SID
    "BraveSoftwareUpdateTask*",                // Brave's updater, Google Update's kind, with a GUID
    "Opera scheduled Autoupdate *",            // Opera's updater, with the time it was made
    "Opera GX scheduled Autoupdate *",         // Opera GX's
};

// The characters of text upper-cased, a surrogate pair as one, a lone
// surrogate as itself.
std::u32string FoldedCharacters(std::string_view text) {
    const std::wstring upper = UpperCaseOrdinal(Utf16(text));
    std::u32string characters;
    characters.reserve(upper.size());
    for (size_t i = 0; i < upper.size(); ++i) {
        const char32_t unit = upper[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < upper.size() && upper[i + 1] >= 0xDC00 &&
            upper[i + 1] < 0xE000) {
            characters.push_back(0x10000 + ((unit - 0xD800) << 10) + (upper[i + 1] - 0xDC00));
            ++i;
        } else {
            characters.push_back(unit);
        }
    }
    return characters;
}

// Greedy, going back only to the last "*": a later "*" covers everything an
// earlier one could have, so no earlier choice needs trying again.
bool Matches(const std::u32string& pattern, const std::u32string& name) {
    constexpr size_t kNone = std::u32string::npos;
    size_t p = 0, n = 0, star = kNone, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (star != kNone) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    return Matches(FoldedCharacters(pattern), FoldedCharacters(name));
}

std::vector<IgnoreRule> ParseIgnoreRules(const std::vector<std::string>& lines) {
    std::vector<IgnoreRule> rules;
    for (const std::string& line : lines) {
        if (rules.size() == kMostIgnoreRules) break;
        const size_t tab = line.find(kSeparator);
        if (tab == std::string::npos || Utf16Length(line) > kLongestIgnoreRule) continue;
        const std::optional<FindingKind> kind = FindingKindOfWord(std::string_view(line).substr(0, tab));
        if (kind) rules.push_back({*kind, line.substr(tab + 1)});
    }
    return rules;
}

std::vector<IgnoreRule> ReadIgnoreRules() {
    const UniqueKey key = OpenKey(kSettingsRoot, kVigiloSettingsKey, KEY_QUERY_VALUE);
    if (!key) return {};
    const std::optional<RegistryValue> value = QueryValue(key.get(), kIgnoreRulesValue);
    if (!value || value->type != REG_MULTI_SZ) return {};
    return ParseIgnoreRules(TextsOfMultiString(*value));
}

IgnoreMatcher::IgnoreMatcher(const std::vector<IgnoreRule>& rules) {
    folded_.reserve(rules.size());
    for (const IgnoreRule& rule : rules) folded_.emplace_back(rule.kind, FoldedCharacters(rule.pattern));
}

bool IgnoreMatcher::Matches(FindingKind kind, const std::string& name) const {
    std::u32string folded;
    bool nameFolded = false;
    for (const auto& [ruleKind, pattern] : folded_) {
        if (ruleKind != kind) continue;
        if (!std::exchange(nameFolded, true)) folded = FoldedCharacters(name);
        if (vigilo::Matches(pattern, folded)) return true;
    }
    return false;
}


bool IsIgnored(FindingKind kind, const std::string& name) { return IgnoreMatcher(ReadIgnoreRules()).Matches(kind, name); }

std::vector<std::string> DefaultIgnoreLines() {
    std::vector<std::string> lines;
    for (const char* pattern : kDefaultPatterns)
        lines.push_back(std::string(FindingKindWord(FindingKind::Startup)) + kSeparator + pattern);
    return lines;
}

void WriteDefaultIgnoreRulesWhereAbsent() {
    const UniqueKey key = CreateKey(kSettingsRoot, kVigiloSettingsKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key || QueryValueInfo(key.get(), kIgnoreRulesValue)) return;
    const std::vector<BYTE> bytes = MultiStringBytes(DefaultIgnoreLines());
    SetValue(key.get(), kIgnoreRulesValue, REG_MULTI_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace vigilo
