#pragma once
// The history of findings as a table, as the findings window shows it and
// export saves it: a row per finding, newest first, with the columns When
// (local time), Kind, Name, Signed by, Where and Program; a filter that
// keeps the rows in which any column holds a text, letter case ignored in
// every script; and an order by any column. Rows are kept with their cells
// and those cells upper-cased once, so that filtering and sorting ten
// thousand rows costs milliseconds: the window does both between two keys.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/history_line.h"
#include "platform/utc_time.h"

namespace vigilo {

enum class FindingsColumn { When, Kind, Name, Signer, Where, Program };
inline constexpr size_t kFindingsColumnCount = 6;
using FindingCells = std::array<std::string, kFindingsColumnCount>;

// The columns' titles, in order, from the language file.
FindingCells FindingsColumnTitles();

// What a row's cells are made of besides the finding: the kinds' texts from
// the language file and the time zone, each asked once for a whole table.
struct FindingCellTexts {
    std::array<std::string, 4> kinds;  // by FindingKind
    std::string changed;
    std::string turnedBackOn;
    LocalTimes times;
    static FindingCellTexts Load();
};
// A finding's cells: its local time, its kind's text (with what happened,
// where it was not an addition), the name it is known by, who signed its
// program, its place and its program.
FindingCells CellsOfFinding(const HistoryFinding& entry, const FindingCellTexts& texts);

class FindingsTable {
public:
    using Describe = std::function<FindingCells(const HistoryFinding& entry)>;
    // Rows of CellsOfFinding's cells.
    FindingsTable();
    explicit FindingsTable(Describe describe);

    // The findings, oldest first as a history holds them, in place of those
    // there were; stopped() is asked now and then, and true leaves the table
    // part made.
    void SetFindings(std::vector<HistoryFinding> findings, const std::function<bool()>& stopped = {});
    // Newer findings; those whose id is there already are left out.
    void AddFindings(std::vector<HistoryFinding> findings);
    // Shows the rows in which a cell holds text (letter case ignored); every row for none.
    void SetFilter(std::string_view text);
    // Orders the rows by column, newest first among equals; by default newest first.
    void SortBy(FindingsColumn column, bool ascending);
    std::optional<FindingsColumn> SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return ascending_; }

    size_t TotalCount() const { return rows_.size(); }
    size_t ShownCount() const { return shown_.size(); }
    // The finding and cells of the row shown at position i (below ShownCount).
    const HistoryFinding& ShownFinding(size_t i) const { return rows_[shown_[i]].entry; }
    const FindingCells& ShownCells(size_t i) const { return rows_[shown_[i]].cells; }
    // Where the finding with id is shown; empty when it is not.
    std::optional<size_t> ShownPosition(long long id) const;
    // The titles, then the cells of every row shown, in order.
    std::vector<std::vector<std::string>> ShownTable() const;

private:
    struct Row {
        HistoryFinding entry;
        FindingCells cells;
        std::array<std::wstring, kFindingsColumnCount> folded;
    };
    Row MakeRow(HistoryFinding entry);
    bool Passes(const Row& row) const;
    void Refresh();

    Describe describe_;
    std::vector<Row> rows_;
    std::vector<size_t> shown_;
    std::wstring filter_;
    std::optional<FindingsColumn> sortColumn_;
    bool ascending_ = true;
};

}  // namespace vigilo
