#include "core/csv.h"

namespace vigilo {

std::string CsvCell(std::string_view text) {
    std::string cell;
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) cell = "'";
    cell += text;
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += ',';
        line += CsvCell(cells[i]);
    }
    return line + "\r\n";
}

std::string CsvDocument(const std::vector<std::vector<std::string>>& rows) {
    std::string document(kUtf8ByteOrderMark);
    for (const std::vector<std::string>& row : rows) document += CsvLine(row);
    return document;
}

}  // namespace vigilo
