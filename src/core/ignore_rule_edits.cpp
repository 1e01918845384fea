#include "core/ignore_rule_edits.h"

#include <algorithm>

#include "core/findings_record.h"
#include "core/ignore_rules.h"
#include "core/settings_store.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr char kSeparator = '\t';
constexpr char kExact = '=';
constexpr size_t kMostFields = 4;
// A field of a rule holds at most this many characters (UTF-16 units).
constexpr size_t kLongestField = 260;

bool FitsField(const std::string& field) {
    return Utf16Length(field) <= kLongestField && field.find_first_of(std::string("\t\r\n\0", 4)) == std::string::npos;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t tab = line.find(kSeparator); tab != std::string::npos; tab = line.find(kSeparator, from)) {
        fields.push_back(line.substr(from, tab - from));
        from = tab + 1;
    }
    fields.push_back(line.substr(from));
    return fields;
}

// Why line is no rule, in the words of the rule format; empty for a rule.
std::string WhyNoRule(const std::vector<std::string>& fields, size_t position) {
    if (position >= kMostIgnoreRules) return "beyond the " + std::to_string(kMostIgnoreRules) + "th rule";
    if (fields.size() < 2) return "no TAB after the kind";
    if (fields.size() > kMostFields) return "more than four fields";
    if (!FindingKindOfWord(fields[0])) return "\"" + fields[0] + "\" is no kind";
    for (const std::string& field : fields)
        if (Utf16Length(field) > kLongestField) return "a field longer than 260 characters";
    return {};
}

bool WriteLines(const std::vector<std::string>& lines) {
    const UniqueKey key = CreateKey(kSettingsRoot, kVigiloSettingsKey, KEY_SET_VALUE);
    if (!key) return false;
    const std::vector<BYTE> bytes = MultiStringBytes(lines);
    return SetValue(key.get(), kIgnoreRulesValue, REG_MULTI_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace

std::optional<std::string> ExactIgnoreLine(const Finding& finding) {
    const std::string& stored = finding.storedName.empty() ? finding.name : finding.storedName;
    if (stored.empty()) return std::nullopt;
    std::string line = std::string(FindingKindWord(finding.kind)) + kSeparator + kExact + stored;
    if (!FitsField(kExact + stored)) return std::nullopt;
    if (!finding.program.empty()) {
        if (!FitsField(kExact + finding.program)) return std::nullopt;
        line += std::string(1, kSeparator) + kExact + finding.program;
    }
    return line;
}

std::vector<std::string> ReadIgnoreLines() {
    const UniqueKey key = OpenKey(kSettingsRoot, kVigiloSettingsKey, KEY_QUERY_VALUE);
    const std::optional<RegistryValue> value = key ? QueryValue(key.get(), kIgnoreRulesValue) : std::nullopt;
    if (!value || value->type != REG_MULTI_SZ) return {};
    return TextsOfMultiString(*value);
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
    const std::vector<std::string> defaults = DefaultIgnoreLines();
    std::vector<ListedIgnoreLine> listed;
    const auto list = [&](const std::vector<std::string>& lines, bool byPolicy) {
        for (size_t i = 0; i < lines.size(); ++i) {
            ListedIgnoreLine entry{lines[i], Fields(lines[i])};
            entry.isDefault = !byPolicy && std::find(defaults.begin(), defaults.end(), lines[i]) != defaults.end();
            entry.byPolicy = byPolicy;
            entry.notRule = WhyNoRule(entry.fields, i);
            listed.push_back(std::move(entry));
        }
    };
    list(userLines, false);
    list(policyLines, true);
    return listed;
}

}  // namespace vigilo
