#pragma once
// The native check box of a window (BUTTON, BS_AUTOCHECKBOX), 17 x 17, a
// tab stop. Its window text is the text of the label beside it, so a screen
// reader names it; the text lies outside the 17 x 17 box and is drawn in the
// background colour, so nothing of it shows. The label is a separate
// control: clicking it does not toggle the box.
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace vigilo {

class CheckBox {
public:
    explicit CheckBox(std::string name) : name_(std::move(name)) {}

    bool Create(HWND parent, const RECT& bounds, const std::string& accessibleName, bool visible);
    const std::string& Name() const { return name_; }
    HWND Handle() const { return hwnd_.get(); }
    bool Checked() const;
    void SetChecked(bool checked);
    // Shown with its window (hidden: neither seen nor reached with Tab).
    bool Visible() const { return (GetWindowLongW(hwnd_.get(), GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetVisible(bool visible) { ShowWindow(hwnd_.get(), visible ? SW_SHOWNA : SW_HIDE); }
    // The parent window destroyed the box along with itself.
    void Forget() { hwnd_.release(); }

private:
    std::string name_;
    UniqueHandle<WindowTraits> hwnd_;
};

}  // namespace vigilo
