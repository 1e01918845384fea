#pragma once
// A transparent label. Its window text is exactly the text it shows, so
// WM_GETTEXT and screen readers read what the user sees.
#include <string>

#include "ui/control.h"
#include "ui/control_spec.h"
#include "ui/font_cache.h"

namespace vigilo {

class Label : public Control {
public:
    // layout: kAutoSize, kCenterV, kCenterH, kWordWrap, kBottom (control_spec.h);
    // the font at the window's dpi.
    Label(std::string name, const FontSpec& font, unsigned layout, int dpi = kDesignDpi);

    // A label sized to its text keeps left, top and height and takes the text's width.
    bool Create(HWND parent, const RECT& bounds, const std::string& text, bool visible);
    std::string Text() const;
    void SetText(const std::string& text);
    // A label sized to its text takes the bounds' left, top and height and its text's width.
    void Place(const RECT& bounds) override;
    // Takes its font at dpi (its window moved to a screen of another DPI).
    void SetDpi(int dpi);
    HFONT Font() const { return font_ ? font_->get() : nullptr; }
    void PaintContent(HDC dc) const override;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void FitToText();

    FontSpec fontSpec_;
    SharedFont font_;
    COLORREF color_;
    unsigned layout_;
};

}  // namespace vigilo
