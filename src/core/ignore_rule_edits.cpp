#include "core/ignore_rule_edits.h"

#include <algorithm>

#include "core/findings_record.h"
#include "core/ignore_rules.h"
#include "core/language_texts.h"
#include "core/settings_store.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

bool WriteLines(const std::vector<std::string>& lines) {
    const UniqueKey key = CreateKey(kSettingsRoot, kVigiloSettingsKey, KEY_SET_VALUE);
    if (!key) return false;
    const std::vector<BYTE> bytes = MultiStringBytes(lines);
    return SetValue(key.get(), kIgnoreRulesValue, REG_MULTI_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

std::string ProblemText(IgnoreLineProblem problem) {
    switch (problem) {
        case IgnoreLineProblem::NoTab: return Text(texts::kRuleNoTab);
        case IgnoreLineProblem::UnknownKind: return Text(texts::kRuleUnknownKind);
        case IgnoreLineProblem::TooManyFields: return Text(texts::kRuleTooManyFields);
        case IgnoreLineProblem::FieldTooLong: return Text(texts::kRuleFieldTooLong);
        case IgnoreLineProblem::BeyondMostRules: return Text(texts::kRuleBeyondMost);
        case IgnoreLineProblem::None: break;
    }
    return {};
}

}  // namespace

std::optional<std::string> OfferedIgnoreLine(const Finding& finding) {
    const std::string& stored = finding.storedName.empty() ? finding.name : finding.storedName;
    if (stored.empty()) return std::nullopt;
    const std::string line = ExactIgnoreLine(finding);
    // A NUL would end the line in the registry's list; a TAB or a line end would make other fields.
    if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return std::nullopt;
    const std::optional<IgnoreRule> rule = ParseIgnoreLines({line}).front().rule;
    if (!rule || rule->name != "=" + stored || rule->program != (finding.program.empty() ? "" : "=" + finding.program))
        return std::nullopt;
    return line;
}

bool AddIgnoreLine(const std::string& line) {
    std::vector<std::string> lines = ReadIgnoreLines();
    if (std::find(lines.begin(), lines.end(), line) != lines.end()) return true;
    lines.push_back(line);
    return WriteLines(lines);
}

bool RemoveIgnoreLines(const std::vector<std::string>& lines) {
    std::vector<std::string> stored = ReadIgnoreLines();
    for (const std::string& line : lines)
        if (const auto found = std::find(stored.begin(), stored.end(), line); found != stored.end()) stored.erase(found);
    return WriteLines(stored);
}

std::vector<ListedIgnoreLine> ListIgnoreLines(const std::vector<std::string>& userLines,
                                              const std::vector<std::string>& policyLines) {
    std::vector<ListedIgnoreLine> listed;
    const auto list = [&](const std::vector<std::string>& lines, bool byPolicy) {
        for (const IgnoreLine& parsed : ParseIgnoreLines(lines)) {
            ListedIgnoreLine entry{parsed.text};
            for (const std::string_view field : SplitAt(parsed.text, '\t')) entry.fields.emplace_back(field);
            entry.isDefault = !byPolicy && IsDefaultIgnoreLine(parsed.text);
            entry.byPolicy = byPolicy;
            entry.notRule = ProblemText(parsed.problem);
            listed.push_back(std::move(entry));
        }
    };
    list(userLines, false);
    list(policyLines, true);
    return listed;
}

}  // namespace vigilo
