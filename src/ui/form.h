#pragma once
// A top-level window of the program: borderless pop-up with a fixed client
// size, no taskbar button, white background and no DPI scaling, owning its
// controls. Derived windows declare their controls as a table
// (control_spec.h) in their constructor; Create() makes the window hidden,
// builds the controls from the table and runs CreateForm().
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

#include "ui/check_box.h"
#include "ui/control_host.h"
#include "ui/control_spec.h"
#include "ui/image.h"
#include "ui/label.h"
#include "platform/window.h"

namespace vigilo {

struct FormFrame {
    const char* className;
    const char* title;
    int width;   // client size = window size: no border
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

    // Paints what lies under every control (white); dc in client coordinates.
    void PaintBackground(HDC dc) const override;

protected:
    template <typename F, size_t N>
    void Declare(F* self, const ControlSpec<F> (&table)[N]) {
        for (const ControlSpec<F>& row : table) {
            const ControlMember<F> member = row.member;
            declared_.push_back({row.Layout(), Bind(self, row.onClick), Bind(self, row.onMouseMove),
                                 [self, member](void* control) { member.Set(*self, control); }});
        }
    }

    virtual void CreateForm() {}
    virtual void OnShow() {}
    virtual void OnClose() {}
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroyed() override;

private:
    struct Declared {
        ControlLayout layout;
        std::function<void()> onClick;
        std::function<void()> onMouseMove;
        std::function<void(void*)> setMember;  // the form's typed pointer to the control
    };
    template <typename F>
    static std::function<void()> Bind(F* self, void (F::*handler)()) {
        if (!handler) return {};
        return [self, handler] { (self->*handler)(); };
    }
    void Build(const Declared& declared);

    FormFrame frame_;
    std::vector<Declared> declared_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<CheckBox>> checkBoxes_;
};

}  // namespace vigilo
