#pragma once
// A button drawn as a picture (the close cross): a native BUTTON, so screen
// readers know it as a push button named by its window text, and Tab, Space
// and Enter reach it as any button. It draws, as the form asks it to (owner
// drawn), what lies beneath it and then its picture, and a dotted frame while
// it has the focus. A mouse click does not take the focus, so clicking it
// leaves the window as it was until it closes.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/unique_handle.h"
#include "ui/picture.h"

namespace vigilo {

class PushButton {
public:
    explicit PushButton(std::string name) : name_(std::move(name)) {}
    ~PushButton();
    PushButton(const PushButton&) = delete;
    PushButton& operator=(const PushButton&) = delete;

    bool Create(HWND parent, const RECT& bounds, const std::string& accessibleName, bool visible);
    const std::string& Name() const { return name_; }
    HWND Handle() const { return hwnd_.get(); }
    // Position and size in the form's client coordinates.
    RECT Bounds() const;
    void Place(const RECT& bounds);
    void SetPicture(Picture picture);
    void SetHandCursor(bool hand) { handCursor_ = hand; }
    // Draws the button as WM_DRAWITEM asks.
    void Draw(const DRAWITEMSTRUCT& item) const;
    // Runs OnClick, as a click, Space or Enter does.
    void Click();
    // The parent window destroyed the button along with itself.
    void Forget();

    std::function<void()> OnClick;

private:
    static LRESULT CALLBACK Subclassed(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Detach();

    std::string name_;
    UniqueHandle<WindowTraits> hwnd_;
    WNDPROC buttonProc_ = nullptr;
    Picture picture_;
    bool handCursor_ = false;
    bool pressed_ = false;
};

}  // namespace vigilo
