#pragma once
// A top-level window of the program: borderless pop-up with a fixed client
// size, no taskbar button and a white background, owning its controls.
// Derived windows declare their controls as a table (control_spec.h) in
// their constructor; Create() makes the window hidden and builds the
// controls from the table.
//
// Scaling: the frame and the table are designed for 96 DPI. The window takes
// the DPI of the screen it is made on and scales every length by it
// (Scaled: MulDiv(v, dpi, 96)), its fonts and its pictures too; when it
// moves to a screen of another DPI (WM_DPICHANGED) it takes the system's new
// bounds and lays every control out again from the table, then runs
// OnDpiChanged() for what the derived window placed itself.
//
// Keyboard: the window takes keys as a dialog does (WS_EX_CONTROLPARENT, see
// platform/message_loop.h): Tab moves between the check boxes, buttons and
// labels marked kTabStop; IDCANCEL (Esc) goes to OnCommand.
//
// Showing: Show() runs OnShow() and makes the window visible; no window runs
// a loop of its own. Close() hides the window and runs OnClose(); closing a
// hidden window does nothing, and a window destroyed without having been
// closed runs no close handler.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"
#include "ui/check_box.h"
#include "ui/control_host.h"
#include "ui/control_spec.h"
#include "ui/image.h"
#include "ui/label.h"
#include "ui/push_button.h"

namespace vigilo {

struct FormFrame {
    const char* className;
    const char* title;
    int width;   // client size = window size: no border; at 96 DPI
    int height;
    const FontSpec* defaultFont = &kDefaultFont;
};

class Form : public Window, public ControlHost {
public:
    explicit Form(const FormFrame& frame) : frame_(frame) {}
    ~Form() override;

    // Creates the hidden window and its controls; false when the window could not be made.
    bool Create();
    void Show(bool activate = true);
    void Close();
    void Destroy();
    bool Visible() const { return Handle() && IsWindowVisible(Handle()); }

    // The DPI the window is laid out for.
    int Dpi() const { return dpi_; }
    // A length designed for 96 DPI, in pixels at the window's DPI.
    int Scaled(int value) const { return ScaleForDpi(value, dpi_); }
    // The window's size at its DPI.
    SIZE ClientSize() const { return {Scaled(frame_.width), Scaled(frame_.height)}; }

    // Paints what lies under every control (white); dc in client coordinates.
    void PaintBackground(HDC dc) const override;

protected:
    template <typename F, size_t N>
    void Declare(F* self, const ControlSpec<F> (&table)[N]) {
        for (const ControlSpec<F>& row : table) {
            const ControlMember<F> member = row.member;
            declared_.push_back({row.Layout(), Bind(self, row.OnClick), Bind(self, row.OnMouseMove),
                                 [self, member](void* control) { member.Set(*self, control); }});
        }
    }

    virtual void OnShow() {}
    virtual void OnClose() {}
    // The window was laid out again for a new DPI.
    virtual void OnDpiChanged() {}
    // A command no control of the table claimed (IDCANCEL: Esc).
    virtual void OnCommand(WORD /*id*/) {}
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroyed() override;

    // The table's labels, in its order.
    std::vector<const Label*> Labels() const;
    // Lays the window and its controls out for dpi; bounds: the window's new
    // place and size (the system's choice), or null to keep its top-left corner.
    void ApplyDpi(int dpi, const RECT* bounds);

private:
    struct Declared {
        ControlLayout layout;
        std::function<void()> OnClick;
        std::function<void()> OnMouseMove;
        std::function<void(void*)> setMember;  // the form's typed pointer to the control
    };
    // What a row of the table was built into: one of the three.
    struct Built {
        size_t row;  // in declared_
        Control* control = nullptr;  // label or image, owned in controls_
        CheckBox* box = nullptr;     // owned in checkBoxes_
        PushButton* button = nullptr;  // owned in buttons_
    };
    template <typename F>
    static std::function<void()> Bind(F* self, void (F::*handler)()) {
        if (!handler) return {};
        return [self, handler] { (self->*handler)(); };
    }
    void Build(size_t row);
    RECT ScaledBounds(const ControlLayout& row) const;
    PushButton* ButtonOf(HWND hwnd) const;

    FormFrame frame_;
    int dpi_ = kDesignDpi;
    std::vector<Declared> declared_;
    std::vector<Built> built_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<CheckBox>> checkBoxes_;
    std::vector<std::unique_ptr<PushButton>> buttons_;
};

}  // namespace vigilo
