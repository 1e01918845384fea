#include "core/ignore_rules.h"

#include <windows.h>

#include "core/findings_record.h"
#include "core/settings_store.h"
#include "core/signer_check.h"
#include "platform/environment_text.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr char kSeparator = '\t';
constexpr size_t kMostFields = 4;

// The default list: updaters that register a new task or service at every
// update, each under a name of its own (a GUID, a version, a time or the
// user's SID in it), so that every update would be a finding. Each rule is
// bound to the updater's program; one in the user's own folders, which any
// program of the user may write, to its signer too. docs/ignore-rules.md
// gives the reason for each line.
struct DefaultRule {
    const char* name;
    const char* program;
    const char* signer;
};
constexpr const char* kGoogle = "Google LLC";
constexpr struct {
    const char* oldLine;  // the line an earlier Vigilo wrote: the name alone
    DefaultRule rules[2];
} kDefaultRules[] = {
    {"GoogleUpdate*Task*",
     {{"GoogleUpdate*Task*", "%ProgramFiles(x86)%\\Google\\Update\\GoogleUpdate.exe", ""},
      {"GoogleUpdate*Task*", "%LOCALAPPDATA%\\Google\\Update\\GoogleUpdate.exe", kGoogle}}},
    {"GoogleUpdater*Task*",
     {{"GoogleUpdater*Task*", "%ProgramFiles(x86)%\\Google\\GoogleUpdater\\*\\updater.exe", ""},
      {"GoogleUpdater*Task*", "%LOCALAPPDATA%\\Google\\GoogleUpdater\\*", kGoogle}}},
    {"Google Updater*Service*",
     {{"Google Updater*Service*", "%ProgramFiles(x86)%\\Google\\GoogleUpdater\\*\\updater.exe", ""}}},
    {"MicrosoftEdgeUpdateTask*",
     {{"MicrosoftEdgeUpdateTask*", "%ProgramFiles(x86)%\\Microsoft\\EdgeUpdate\\MicrosoftEdgeUpdate.exe", ""}}},
    {"OneDrive Standalone Update Task-S-1-5-*",
     {{"OneDrive Standalone Update Task-S-1-5-*", "%LOCALAPPDATA%\\Microsoft\\OneDrive\\OneDriveStandaloneUpdater.exe",
       "Microsoft Corporation"}}},
    {"BraveSoftwareUpdateTask*",
     {{"BraveSoftwareUpdateTask*", "%ProgramFiles(x86)%\\BraveSoftware\\Update\\BraveUpdate.exe", ""}}},
    {"Opera scheduled Autoupdate *",
     {{"Opera scheduled Autoupdate *", "%LOCALAPPDATA%\\Programs\\Opera\\launcher.exe", "Opera Norway AS"}}},
    {"Opera GX scheduled Autoupdate *",
     {{"Opera GX scheduled Autoupdate *", "%LOCALAPPDATA%\\Programs\\Opera GX\\launcher.exe", "Opera Norway AS"}}},
};

std::string StartupLine(const std::vector<std::string>& fields) {
    std::string line = FindingKindWord(FindingKind::Startup);
    for (const std::string& field : fields) line += kSeparator + field;
    return line;
}

std::vector<std::string> NewLines(const DefaultRule (&rules)[2]) {
    std::vector<std::string> lines;
    for (const DefaultRule& rule : rules) {
        if (!rule.name) continue;
        std::vector<std::string> fields{rule.name, rule.program};
        if (*rule.signer) fields.push_back(rule.signer);
        lines.push_back(StartupLine(fields));
    }
    return lines;
}

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

IgnoreLine ParseLine(const std::string& text) {
    IgnoreLine line{text};
    if (text.find(kSeparator) == std::string::npos) {
        line.problem = IgnoreLineProblem::NoTab;
        return line;
    }
    const std::vector<std::string_view> fields = SplitAt(text, kSeparator);
    const std::optional<FindingKind> kind = FindingKindOfWord(fields[0]);
    if (!kind) {
        line.problem = IgnoreLineProblem::UnknownKind;
    } else if (fields.size() > kMostFields) {
        line.problem = IgnoreLineProblem::TooManyFields;
    } else {
        for (size_t i = 1; i < fields.size(); ++i)
            if (Utf16Length(fields[i]) > kLongestIgnoreField) line.problem = IgnoreLineProblem::FieldTooLong;
    }
    if (line.problem != IgnoreLineProblem::None) return line;
    IgnoreRule rule{*kind, std::string(fields[1])};
    if (fields.size() > 2) rule.program = fields[2];
    if (fields.size() > 3) rule.signer = fields[3];
    line.rule = std::move(rule);
    return line;
}

IgnoreMatcher::Field Fold(const std::string& field, bool expand = false) {
    if (field.empty()) return {};
    const bool exact = field.front() == '=';
    std::string text = exact ? field.substr(1) : field;
    if (expand) text = ExpandEnvironmentText(text);
    return {exact, FoldedCharacters(text), false};
}

bool FieldMatches(const IgnoreMatcher::Field& field, const std::u32string& text) {
    if (field.any) return true;
    return field.exact ? field.text == text : Matches(field.text, text);
}

// The signer's name in the record's form of a verified signature ("signed:<name>"), or empty.
std::string VerifiedName(const std::string& recordField) {
    constexpr std::string_view kSigned = "signed:";
    return recordField.starts_with(kSigned) ? recordField.substr(kSigned.size()) : std::string();
}

void WriteLines(const std::vector<std::string>& lines) {
    const UniqueKey key = CreateKey(kSettingsRoot, kVigiloSettingsKey, KEY_SET_VALUE);
    if (!key) return;
    const std::vector<BYTE> bytes = MultiStringBytes(lines);
    SetValue(key.get(), kIgnoreRulesValue, REG_MULTI_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    return Matches(FoldedCharacters(pattern), FoldedCharacters(name));
}

bool MatchesField(std::string_view field, std::string_view text) {
    return FieldMatches(Fold(std::string(field)), FoldedCharacters(text));
}

std::vector<IgnoreLine> ParseIgnoreLines(const std::vector<std::string>& lines) {
    std::vector<IgnoreLine> parsed;
    size_t rules = 0;
    for (const std::string& text : lines) {
        IgnoreLine line = ParseLine(text);
        if (line.rule && ++rules > kMostIgnoreRules) {
            line.rule.reset();
            line.problem = IgnoreLineProblem::BeyondMostRules;
        }
        parsed.push_back(std::move(line));
    }
    return parsed;
}

std::vector<IgnoreRule> ParseIgnoreRules(const std::vector<std::string>& lines) {
    std::vector<IgnoreRule> rules;
    for (IgnoreLine& line : ParseIgnoreLines(lines))
        if (line.rule) rules.push_back(std::move(*line.rule));
    return rules;
}

std::vector<std::string> ReadIgnoreLines() {
    const UniqueKey key = OpenKey(kSettingsRoot, kVigiloSettingsKey, KEY_QUERY_VALUE);
    if (!key) return {};
    const std::optional<RegistryValue> value = QueryValue(key.get(), kIgnoreRulesValue);
    if (!value || value->type != REG_MULTI_SZ) return {};
    return TextsOfMultiString(*value);
}

std::string CheckedVerifiedSigner(const std::string& program) {
    if (program.empty()) return {};
    const FileSignature signature = CheckFileSignature(program);
    return signature.state == SignatureState::Signed ? signature.signer : std::string();
}

IgnoreMatcher::IgnoreMatcher(const std::vector<IgnoreRule>& rules, VerifiedSigner signerOf)
    : signerOf_(std::move(signerOf)) {
    rules_.reserve(rules.size());
    for (const IgnoreRule& rule : rules)
        rules_.push_back({rule.kind, Fold(rule.name), Fold(rule.program, true), Fold(rule.signer)});
}

bool IgnoreMatcher::Matches(const Finding& finding) const {
    std::u32string name, stored, program;
    bool folded = false;
    std::optional<std::u32string> signer;  // looked up once, and only when needed
    for (const Prepared& rule : rules_) {
        if (rule.kind != finding.kind) continue;
        if (!std::exchange(folded, true)) {
            name = FoldedCharacters(finding.name);
            stored = FoldedCharacters(finding.storedName);
            program = FoldedCharacters(finding.program);
        }
        const bool nameMatches =
            FieldMatches(rule.name, name) || (!finding.storedName.empty() && FieldMatches(rule.name, stored));
        if (!nameMatches || !FieldMatches(rule.program, program)) continue;
        if (rule.signer.any) return true;
        if (!signer) {
            std::string verified = VerifiedName(finding.signer);
            if (verified.empty() && finding.signer.empty() && signerOf_) verified = signerOf_(finding.program);
            signer = FoldedCharacters(verified);
        }
        if (!signer->empty() && FieldMatches(rule.signer, *signer)) return true;
    }
    return false;
}

std::string ExactIgnoreLine(const Finding& finding) {
    std::string line = std::string(FindingKindWord(finding.kind)) + kSeparator + "=" +
                       (finding.storedName.empty() ? finding.name : finding.storedName);
    if (!finding.program.empty()) line += std::string(1, kSeparator) + "=" + finding.program;
    return line;
}

std::vector<std::string> DefaultIgnoreLines() {
    std::vector<std::string> lines;
    for (const auto& entry : kDefaultRules)
        for (std::string& line : NewLines(entry.rules)) lines.push_back(std::move(line));
    return lines;
}

bool IsDefaultIgnoreLine(const std::string& line) {
    for (const auto& entry : kDefaultRules) {
        if (line == StartupLine({entry.oldLine})) return true;
        for (const std::string& now : NewLines(entry.rules))
            if (line == now) return true;
    }
    return false;
}

std::vector<std::string> MigratedIgnoreLines(const std::vector<std::string>& lines) {
    std::vector<std::string> migrated;
    for (const std::string& line : lines) {
        const auto* entry = std::find_if(std::begin(kDefaultRules), std::end(kDefaultRules),
                                         [&](const auto& rule) { return line == StartupLine({rule.oldLine}); });
        if (entry == std::end(kDefaultRules)) {
            migrated.push_back(line);
            continue;
        }
        for (std::string& now : NewLines(entry->rules)) migrated.push_back(std::move(now));
    }
    return migrated;
}

void WriteDefaultIgnoreRulesWhereAbsent() {
    const UniqueKey key = OpenKey(kSettingsRoot, kVigiloSettingsKey, KEY_QUERY_VALUE);
    const std::optional<RegistryValue> info = key ? QueryValueInfo(key.get(), kIgnoreRulesValue) : std::nullopt;
    if (!info) {
        WriteLines(DefaultIgnoreLines());
        return;
    }
    if (info->type != REG_MULTI_SZ) return;
    const std::vector<std::string> lines = ReadIgnoreLines();
    const std::vector<std::string> migrated = MigratedIgnoreLines(lines);
    if (migrated != lines) WriteLines(migrated);
}

}  // namespace vigilo
