#pragma once
// Base of the labels and images drawn over a form's art. Each is a child
// window of its own, so it has a window text, takes the mouse where it is
// topmost and is skipped while hidden. They are transparent for real: a
// control paints, through a back buffer, the form's background and every
// sibling control beneath it first, then itself. Controls are stacked in the
// order they were created, the last on top. A control made a tab stop takes
// the keyboard focus from Tab (through the form's dialog keys), shows it
// with a dotted frame and is clicked by Enter or Space.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/window.h"

namespace vigilo {

class Control : public Window {
public:
    explicit Control(std::string name) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    bool Visible() const;
    void SetVisible(bool visible);
    // Position and size in the form's client coordinates.
    RECT Bounds() const;
    int Width() const;
    // Moves the control to (left, top) in the form's client coordinates, keeping its size.
    void MoveTo(int left, int top);
    // Gives the control these bounds in the form's client coordinates.
    virtual void Place(const RECT& bounds);
    void SetHandCursor(bool hand) { handCursor_ = hand; }
    void SetTabStop(bool tabStop);
    bool TabStop() const;

    std::function<void()> OnClick;      // press and release of the left button inside the control
    std::function<void()> OnMouseMove;  // the mouse moved over the control

    // Draws the control's own content; dc's origin is the control's top-left corner.
    virtual void PaintContent(HDC dc) const = 0;

protected:
    bool CreateChild(const char* className, HWND parent, const RECT& bounds, const std::string& text, bool visible);
    // Repaints this control and the controls above it that show it through.
    void Changed();
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void PaintWithBeneath(HDC dc) const;
    void Paint();
    void Click();

    std::string name_;
    bool handCursor_ = false;
    bool pressed_ = false;
};

// Paints into dc, whose origin is child's top-left corner, what lies beneath
// the child window: its form's background and every visible control below it.
void PaintBeneath(HWND child, HDC dc);

}  // namespace vigilo
