#include "support/list_view_support.h"

#include <commctrl.h>

#include "platform/text.h"
#include "support/test_support.h"

namespace vigilo::test {
namespace {

// The structure first, its text buffer after it.
constexpr size_t kTextOffset = 256;
constexpr size_t kTextCapacity = 1024;
constexpr size_t kMemorySize = kTextOffset + kTextCapacity * sizeof(wchar_t);

}  // namespace

RemoteListView::RemoteListView(HWND list) : list_(list) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) memory_ = VirtualAllocEx(process_, nullptr, kMemorySize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteListView::~RemoteListView() {
    if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
}

int RemoteListView::Count() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::string RemoteListView::Text(int row, int column) const {
    if (!memory_) return "(no memory in the list's process)";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory_) + kTextOffset);
    item.cchTextMax = static_cast<int>(kTextCapacity);
    SIZE_T done = 0;
    if (!WriteProcessMemory(process_, memory_, &item, sizeof item, &done)) return "(not written)";
    const auto length = SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
    std::wstring text(kTextCapacity, L'\0');
    if (!ReadProcessMemory(process_, item.pszText, text.data(), kTextCapacity * sizeof(wchar_t), &done))
        return "(not read)";
    text.resize(static_cast<size_t>(length));
    return Utf8(text);
}

int RemoteListView::Find(int column, const std::string& text) const {
    for (int row = 0; row < Count(); ++row)
        if (Text(row, column) == text) return row;
    return -1;
}

void RemoteListView::Select(int row) const {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SIZE_T done = 0;
    WriteProcessMemory(process_, memory_, &item, sizeof item, &done);
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(memory_));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    WriteProcessMemory(process_, memory_, &item, sizeof item, &done);
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
}

HWND VisibleChild(HWND parent, const char* windowClass, const std::string& text) {
    for (HWND child : ChildWindows(parent))
        if (IsWindowVisible(child) && ClassName(child) == windowClass && (text.empty() || WindowText(child) == text))
            return child;
    return nullptr;
}

}  // namespace vigilo::test
