#pragma once
// Another process's list views and tab controls read and driven as a
// screen reader or a test tool does: the messages that carry a structure
// (LVM_GETITEMTEXTW, LVM_SETITEMSTATE) get one written into memory of that
// process (VirtualAllocEx, WriteProcessMemory), and the answer is read from
// there (ReadProcessMemory).
#include <windows.h>

#include <string>
#include <vector>

namespace vigilo::test {

class RemoteListView {
public:
    explicit RemoteListView(HWND list);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    int Count() const;
    // The text of row's cell in column, as the list view gives it (its owner's, for a virtual list).
    std::string Text(int row, int column) const;
    // The row whose cell in column reads text; -1 for none.
    int Find(int column, const std::string& text) const;
    // Selects and focuses row only.
    void Select(int row) const;

private:
    HWND list_;
    HANDLE process_ = nullptr;
    void* memory_ = nullptr;
};

// The visible child of parent of windowClass ("SysListView32", "Button") whose text is text (any text when empty);
// null when none.
HWND VisibleChild(HWND parent, const char* windowClass, const std::string& text = "");

}  // namespace vigilo::test
