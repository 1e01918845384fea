#include "core/findings_export.h"

#include "core/csv.h"
#include "core/findings_history.h"
#include "core/findings_table.h"

namespace vigilo {

std::optional<std::string> HistoryAsCsv(const std::string& historyPath) {
    std::optional<HistoryContents> contents = ReadFindingsHistory(historyPath);
    if (!contents) return std::nullopt;
    std::vector<HistoryFinding> findings;
    for (HistoryLine& line : contents->entries)
        if (auto* finding = std::get_if<HistoryFinding>(&line)) findings.push_back(std::move(*finding));
    FindingsTable table;
    table.SetFindings(std::move(findings));
    return CsvDocument(table.ShownTable());
}

}  // namespace vigilo
