#pragma once
// Tables saved for spreadsheet programs, as RFC 4180 describes CSV: cells
// separated by commas, lines ended by CR LF, and a cell that holds a comma,
// a double quote, a CR or an LF put in double quotes, each double quote in
// it doubled. The text is UTF-8 after a byte-order mark, by which Excel
// knows it for UTF-8 and reads names in any script. A cell that begins with
// "=", "+", "-", "@", a TAB or a CR gets a leading apostrophe, so that no
// spreadsheet takes a name someone chose for a formula and runs it.
#include <string>
#include <string_view>
#include <vector>

namespace vigilo {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// One cell as the file holds it.
std::string CsvCell(std::string_view text);
// One line: its cells, separated by commas, then CR LF.
std::string CsvLine(const std::vector<std::string>& cells);
// The whole file: the mark, then a line per row.
std::string CsvDocument(const std::vector<std::vector<std::string>>& rows);

}  // namespace vigilo
