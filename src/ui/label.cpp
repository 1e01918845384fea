#include "ui/label.h"

#include "platform/unique_handle.h"
#include "platform/window_text.h"

namespace vigilo {

Label::Label(std::string name, const FontSpec& font, unsigned layout, int dpi)
    : Control(std::move(name)), fontSpec_(font), font_(AcquireFont(font, dpi)), color_(font.color), layout_(layout) {}

bool Label::Create(HWND parent, const RECT& bounds, const std::string& text, bool visible) {
    if (!CreateChild("VigiloLabel", parent, bounds, text, visible)) return false;
    FitToText();
    return true;
}

std::string Label::Text() const {
    if (!Handle()) return {};
    return WindowTextUtf8(Handle());
}

void Label::SetText(const std::string& text) {
    if (Handle()) SetWindowTextUtf8(Handle(), text);
}

void Label::Place(const RECT& bounds) {
    Control::Place(bounds);
    FitToText();
}

void Label::SetDpi(int dpi) {
    font_ = AcquireFont(fontSpec_, dpi);
    FitToText();
    Changed();
}

void Label::FitToText() {
    if (!(layout_ & kAutoSize) || !Handle()) return;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return;
    ScopedSelect font(dc.get(), font_ ? font_->get() : nullptr);
    const std::string text = Text();
    RECT measured{0, 0, 0, 0};
    DrawTextUtf8(dc.get(), text, measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    RECT bounds = Bounds();
    SetWindowPos(Handle(), nullptr, 0, 0, measured.right, bounds.bottom - bounds.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::PaintContent(HDC dc) const {
    const std::string text = Text();
    RECT box;
    GetClientRect(Handle(), &box);
    ScopedSelect font(dc, font_ ? font_->get() : nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color_);
    UINT format = DT_NOPREFIX | ((layout_ & kCenterH) ? DT_CENTER : DT_LEFT);
    if (layout_ & kWordWrap) {
        format |= DT_WORDBREAK;
        if (layout_ & (kCenterV | kBottom)) {
            // DrawText places wrapped text only at the top: measure it, then move it down.
            RECT measured = box;
            DrawTextUtf8(dc, text, measured, format | DT_CALCRECT);
            const int spare = box.bottom - measured.bottom;
            box.top += (layout_ & kBottom) ? spare : spare / 2;
        }
    } else {
        // One line, cut at the box's right edge (and so at the window's).
        format |= DT_SINGLELINE | ((layout_ & kCenterV) ? DT_VCENTER : (layout_ & kBottom) ? DT_BOTTOM : DT_TOP);
    }
    DrawTextUtf8(dc, text, box, format);
}

LRESULT Label::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTEXT) {
        LRESULT result = Control::OnMessage(msg, wp, lp);
        FitToText();
        Changed();
        return result;
    }
    return Control::OnMessage(msg, wp, lp);
}

}  // namespace vigilo
