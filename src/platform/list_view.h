#pragma once
// The common controls' list view and tab control with UTF-8 texts: columns,
// rows, selection, the header's sort arrow, and the text a virtual list view
// asks for, copied into the buffer it lends.
#include <windows.h>

#include <string>
#include <vector>

namespace vigilo {

// Registers the list view and tab control classes (once per process).
void LoadCommonControls();

void InsertListColumn(HWND list, int column, const std::string& title, int width);
// A row of a list view that holds its own texts: cells[0] in the row, the rest as its subitems.
void InsertListRow(HWND list, int row, const std::vector<std::string>& cells);
// Copies text into the buffer of capacity characters a list view lends (NUL-ended, cut to fit).
void CopyToListBuffer(const std::string& text, wchar_t* buffer, int capacity);
// The rows selected, in order. (A virtual list is asked row by row.)
std::vector<int> SelectedListRows(HWND list);
// The row that has the focus and is selected; -1 for none. The list is asked
// once, where asking for the selected rows of a virtual list of ten
// thousand asks each row: for a list of one selection, which the focus follows.
int FocusedSelectedListRow(HWND list);
// Selects and focuses row only, and scrolls it into view; -1 selects none.
void SelectOnlyListRow(HWND list, int row);
// Shows the sort arrow in column's header (up for ascending), and none in the others.
void ShowListSortArrow(HWND list, int column, bool ascending);
// Appends a tab titled title to a tab control.
void AddTab(HWND tabs, const std::string& title);

}  // namespace vigilo
