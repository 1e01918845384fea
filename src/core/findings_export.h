#pragma once
// The history of findings saved for a spreadsheet or a script: a CSV file
// (core/csv.h) of the findings table's columns, titles first, then every
// finding, newest first. The findings window saves the rows it shows the
// same way; "Vigilo.exe /export-findings FILE" saves them all.
#include <optional>
#include <string>

namespace vigilo {

// The CSV of the history in the file at historyPath (titles alone where
// there is none); empty when the file is there but cannot be read.
std::optional<std::string> HistoryAsCsv(const std::string& historyPath);

}  // namespace vigilo
