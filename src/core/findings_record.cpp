#include "core/findings_record.h"

#include <cstdio>

#include "core/settings_store.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr char kSeparator = '\t';
constexpr size_t kTimeLength = 19;  // "YYYY-MM-DD HH:MM:SS"
// Fifty whole lines take under 30 KB; a value far beyond that is no record.
constexpr size_t kMostValueBytes = 256 * 1024;

bool IsTime(const std::string& text) {
    if (text.size() != kTimeLength) return false;
    for (size_t i = 0; i < kTimeLength; ++i) {
        const char expected = "dddd-dd-dd dd:dd:dd"[i];
        const char c = text[i];
        if (expected == 'd' ? (c < '0' || c > '9') : c != expected) return false;
    }
    return true;
}

std::string RecordedName(const std::string& name) {
    std::string clean = name;
    for (char& c : clean)
        if (c == '\t' || c == '\r' || c == '\n' || c == '\0') c = ' ';
    return FirstCharacters(clean, kMostRecordedNameCharacters);
}

std::vector<std::string> ReadLines(const char* valueName) {
    const UniqueKey key = OpenKey(kSettingsRoot, kVigiloSettingsKey, KEY_QUERY_VALUE);
    if (!key) return {};
    const std::optional<RegistryValue> info = QueryValueInfo(key.get(), valueName);
    if (!info || info->type != REG_MULTI_SZ || info->data.size() > kMostValueBytes) return {};
    const std::optional<RegistryValue> value = QueryValue(key.get(), valueName);
    if (!value || value->type != REG_MULTI_SZ || value->data.size() > kMostValueBytes) return {};
    return TextsOfMultiString(*value);
}

void WriteLines(const char* valueName, const std::vector<std::string>& lines) {
    const UniqueKey key = CreateKey(kSettingsRoot, kVigiloSettingsKey, KEY_SET_VALUE);
    if (!key) return;
    const std::vector<BYTE> bytes = MultiStringBytes(lines);
    SetValue(key.get(), valueName, REG_MULTI_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// A finding's details line; never empty, so that no line ends the list.
std::string DetailsLine(const Finding& finding) {
    return RecordedName(finding.signer) + kSeparator + RecordedName(finding.ownName);
}

void TakeDetails(const std::string& line, Finding& finding) {
    const size_t tab = line.find(kSeparator);
    if (tab == std::string::npos) return;
    finding.signer = line.substr(0, tab);
    finding.ownName = line.substr(tab + 1);
}

}  // namespace

std::string FindingLine(const Finding& finding, const SYSTEMTIME& at) {
    char time[32];
    std::snprintf(time, sizeof(time), "%04u-%02u-%02u %02u:%02u:%02u", at.wYear % 10000u, at.wMonth % 100u,
                  at.wDay % 100u, at.wHour % 100u, at.wMinute % 100u, at.wSecond % 100u);
    return std::string(time) + kSeparator + FindingKindWord(finding.kind) + kSeparator + RecordedName(finding.name);
}

std::optional<RecordedFinding> ParseFindingLine(const std::string& line) {
    if (line.size() < kTimeLength + 1 || line[kTimeLength] != kSeparator) return std::nullopt;
    const size_t kindEnd = line.find(kSeparator, kTimeLength + 1);
    if (kindEnd == std::string::npos) return std::nullopt;
    const std::string time = line.substr(0, kTimeLength);
    const std::optional<FindingKind> kind = FindingKindOfWord(
        std::string_view(line).substr(kTimeLength + 1, kindEnd - kTimeLength - 1));
    std::string name = line.substr(kindEnd + 1);
    if (!IsTime(time) || !kind || name != RecordedName(name)) return std::nullopt;
    return RecordedFinding{time, Finding{*kind, std::move(name)}};
}

std::vector<RecordedFinding> ReadFindings() {
    const std::vector<std::string> lines = ReadLines(kRecentFindingsValue);
    const std::vector<std::string> details = ReadLines(kRecentDetailsValue);
    std::vector<RecordedFinding> findings;
    for (size_t i = 0; i < lines.size() && findings.size() < kMostRecordedFindings; ++i) {
        std::optional<RecordedFinding> finding = ParseFindingLine(lines[i]);
        if (!finding) continue;
        if (i < details.size()) TakeDetails(details[i], finding->finding);
        findings.push_back(std::move(*finding));
    }
    return findings;
}

void AddFinding(const Finding& finding) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    AddFinding(finding, now);
}

void AddFinding(const Finding& finding, const SYSTEMTIME& at) { AddFindings({finding}, at); }

void AddFindings(const std::vector<Finding>& findings) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    AddFindings(findings, now);
}

void AddFindings(const std::vector<Finding>& findings, const SYSTEMTIME& at) {
    if (findings.empty()) return;
    // Rewritten from the good lines only: a damaged value heals with the next finding.
    std::vector<std::string> lines, details;
    for (auto it = findings.rbegin(); it != findings.rend() && lines.size() < kMostRecordedFindings; ++it) {
        lines.push_back(FindingLine(*it, at));
        details.push_back(DetailsLine(*it));
    }
    for (const RecordedFinding& kept : ReadFindings()) {
        if (lines.size() == kMostRecordedFindings) break;
        lines.push_back(kept.time + kSeparator + FindingKindWord(kept.finding.kind) + kSeparator + kept.finding.name);
        details.push_back(DetailsLine(kept.finding));
    }
    // The details first: a reader that finds more lines than details takes the last as empty.
    WriteLines(kRecentDetailsValue, details);
    WriteLines(kRecentFindingsValue, lines);
}

void ClearFindings() {
    WriteLines(kRecentDetailsValue, {});
    WriteLines(kRecentFindingsValue, {});
}

}  // namespace vigilo
