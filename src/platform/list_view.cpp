#include "platform/list_view.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/text.h"

namespace vigilo {

void LoadCommonControls() {
    static const bool loaded = [] {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)loaded;
}

void InsertListColumn(HWND list, int column, const std::string& title, int width) {
    std::wstring text = Utf16(title);
    LVCOLUMNW spec{};
    spec.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    spec.pszText = text.data();
    spec.cx = width;
    spec.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&spec));
}

void InsertListRow(HWND list, int row, const std::vector<std::string>& cells) {
    for (size_t column = 0; column < cells.size(); ++column) {
        std::wstring text = Utf16(cells[column]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = static_cast<int>(column);
        item.pszText = text.data();
        if (column == 0)
            row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        else
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        if (row < 0) return;
    }
}

void CopyToListBuffer(const std::string& text, wchar_t* buffer, int capacity) {
    if (!buffer || capacity <= 0) return;
    const std::wstring wide = Utf16(FirstCharacters(text, static_cast<size_t>(capacity - 1)));
    const size_t count = std::min(wide.size(), static_cast<size_t>(capacity - 1));
    std::copy_n(wide.begin(), count, buffer);
    buffer[count] = L'\0';
}

std::vector<int> SelectedListRows(HWND list) {
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                              LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

int FocusedSelectedListRow(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED));
}

void SelectOnlyListRow(HWND list, int row) {
    const auto setState = [list](int at, UINT state) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = state;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
    };
    // Only the rows selected now are cleared: "every row" (-1) makes a
    // virtual list of ten thousand rows visit each of them, and so does the
    // search for selected rows; a list of one selection has at most the focused one.
    const bool single = (GetWindowLongW(list, GWL_STYLE) & LVS_SINGLESEL) != 0;
    const std::vector<int> selected = single ? std::vector<int>{FocusedSelectedListRow(list)} : SelectedListRows(list);
    for (const int at : selected)
        if (at >= 0 && at != row) setState(at, 0);
    if (row < 0) return;
    setState(row, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void ShowListSortArrow(HWND list, int column, bool ascending) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column) item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
}

void AddTab(HWND tabs, const std::string& title) {
    std::wstring text = Utf16(title);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    const auto count = SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
}

}  // namespace vigilo
