#include "ui/check_box.h"

#include "platform/text.h"

namespace vigilo {

bool CheckBox::Create(HWND parent, const RECT& bounds, const std::string& accessibleName, bool visible) {
    DWORD style = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | BS_AUTOCHECKBOX | (visible ? WS_VISIBLE : 0);
    hwnd_.reset(CreateWindowExW(0, L"BUTTON", Utf16(accessibleName).c_str(), style, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr));
    if (!hwnd_) return false;
    SetWindowPos(hwnd_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

bool CheckBox::Checked() const {
    return hwnd_ && SendMessageW(hwnd_.get(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) {
    if (hwnd_) SendMessageW(hwnd_.get(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace vigilo
