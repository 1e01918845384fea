#include "core/findings_table.h"

#include <algorithm>

#include "core/language_texts.h"
#include "platform/text.h"
#include "platform/utc_time.h"

namespace vigilo {
namespace {

const TextId& KindText(FindingKind kind) {
    switch (kind) {
        case FindingKind::Program: return texts::kTrayKindProgram;
        case FindingKind::Startup: return texts::kTrayKindStartup;
        case FindingKind::Extension: return texts::kTrayKindExtension;
        case FindingKind::Junk: return texts::kTrayKindJunk;
    }
    return texts::kTrayKindProgram;
}

std::string KindCell(const Finding& finding, const FindingCellTexts& texts) {
    std::string kind = texts.kinds[static_cast<size_t>(finding.kind)];
    if (finding.event == FindingEvent::Changed) kind += " (" + texts.changed + ")";
    if (finding.event == FindingEvent::TurnedBackOn) kind += " (" + texts.turnedBackOn + ")";
    return kind;
}

// An extension by its own name where it has one ("Google Chrome: Tab Saver"), as the tray menu names it.
std::string NameCell(const Finding& finding) {
    if (finding.kind != FindingKind::Extension || finding.ownName.empty()) return finding.name;
    const size_t browserEnd = finding.name.find(": ");
    return browserEnd == std::string::npos ? finding.ownName : finding.name.substr(0, browserEnd + 2) + finding.ownName;
}

// The signer's name where the signature is good; else what the window said of it.
std::string SignerCell(const Finding& finding) {
    constexpr std::string_view kSigned = "signed:";
    if (finding.signer.starts_with(kSigned)) return finding.signer.substr(kSigned.size());
    return finding.signerLine;
}

}  // namespace

FindingCells FindingsColumnTitles() {
    return {Text(texts::kFindingsColumnWhen),   Text(texts::kFindingsColumnKind),  Text(texts::kFindingsColumnName),
            Text(texts::kFindingsColumnSigner), Text(texts::kFindingsColumnWhere), Text(texts::kFindingsColumnProgram)};
}

FindingCellTexts FindingCellTexts::Load() {
    FindingCellTexts loaded;
    for (const FindingKind kind : {FindingKind::Program, FindingKind::Startup, FindingKind::Extension, FindingKind::Junk})
        loaded.kinds[static_cast<size_t>(kind)] = Text(KindText(kind));
    loaded.changed = Text(texts::kFindingsChanged);
    loaded.turnedBackOn = Text(texts::kFindingsTurnedBackOn);
    return loaded;
}

FindingCells CellsOfFinding(const HistoryFinding& entry, const FindingCellTexts& texts) {
    const Finding& finding = entry.finding;
    const std::optional<SYSTEMTIME> utc = ParseIsoUtcText(entry.time);
    return {utc ? texts.times.Text(*utc) : entry.time, KindCell(finding, texts), NameCell(finding), SignerCell(finding),
            finding.place, finding.program};
}

FindingsTable::FindingsTable()
    : describe_([texts = FindingCellTexts::Load()](const HistoryFinding& entry) { return CellsOfFinding(entry, texts); }) {}

FindingsTable::FindingsTable(Describe describe) : describe_(std::move(describe)) {}

FindingsTable::Row FindingsTable::MakeRow(HistoryFinding entry) {
    Row row{std::move(entry)};
    row.cells = describe_(row.entry);
    for (size_t column = 0; column < kFindingsColumnCount; ++column)
        row.folded[column] = UpperCaseOrdinal(std::string_view(row.cells[column]));
    return row;
}

void FindingsTable::SetFindings(std::vector<HistoryFinding> findings, const std::function<bool()>& stopped) {
    constexpr size_t kRowsBetweenStopChecks = 256;
    rows_.clear();
    rows_.reserve(findings.size());
    for (HistoryFinding& entry : findings) {
        if (rows_.size() % kRowsBetweenStopChecks == 0 && stopped && stopped()) break;
        rows_.push_back(MakeRow(std::move(entry)));
    }
    Refresh();
}

void FindingsTable::AddFindings(std::vector<HistoryFinding> findings) {
    std::vector<long long> there;
    there.reserve(rows_.size() + findings.size());
    for (const Row& row : rows_) there.push_back(row.entry.finding.historyId);
    std::sort(there.begin(), there.end());
    for (HistoryFinding& entry : findings) {
        const long long id = entry.finding.historyId;
        if (id != 0 && std::binary_search(there.begin(), there.end(), id)) continue;
        rows_.push_back(MakeRow(std::move(entry)));
    }
    Refresh();
}

void FindingsTable::SetFilter(std::string_view text) {
    filter_ = UpperCaseOrdinal(text);
    Refresh();
}

void FindingsTable::SortBy(FindingsColumn column, bool ascending) {
    sortColumn_ = column;
    ascending_ = ascending;
    Refresh();
}

std::optional<size_t> FindingsTable::ShownPosition(long long id) const {
    for (size_t i = 0; i < shown_.size(); ++i)
        if (rows_[shown_[i]].entry.finding.historyId == id) return i;
    return std::nullopt;
}

std::vector<std::vector<std::string>> FindingsTable::ShownTable() const {
    std::vector<std::vector<std::string>> table;
    table.reserve(shown_.size() + 1);
    const FindingCells titles = FindingsColumnTitles();
    table.emplace_back(titles.begin(), titles.end());
    for (size_t index : shown_) table.emplace_back(rows_[index].cells.begin(), rows_[index].cells.end());
    return table;
}

bool FindingsTable::Passes(const Row& row) const {
    if (filter_.empty()) return true;
    return std::any_of(row.folded.begin(), row.folded.end(),
                       [&](const std::wstring& cell) { return cell.find(filter_) != std::wstring::npos; });
}

void FindingsTable::Refresh() {
    shown_.clear();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (Passes(rows_[i])) shown_.push_back(i);
    // Newest first, and newest first among rows equal in the column sorted by.
    std::reverse(shown_.begin(), shown_.end());
    if (!sortColumn_) return;
    const auto column = static_cast<size_t>(*sortColumn_);
    const auto key = [&](size_t index) -> const std::wstring& { return rows_[index].folded[column]; };
    std::stable_sort(shown_.begin(), shown_.end(), [&](size_t a, size_t b) {
        // Local times sort as their UTC moments do, across a change of daylight saving time too.
        const int order = *sortColumn_ == FindingsColumn::When
                              ? rows_[a].entry.time.compare(rows_[b].entry.time)
                              : key(a).compare(key(b));
        return ascending_ ? order < 0 : order > 0;
    });
}

}  // namespace vigilo
