#pragma once
// What a control asks of the window it sits on: the window paints what lies
// beneath every control, so transparent controls can draw it first.
#include <windows.h>

namespace vigilo {

class ControlHost {
public:
    // Paints what lies under every control; dc in the host's client coordinates.
    virtual void PaintBackground(HDC dc) const = 0;

protected:
    ~ControlHost() = default;
};

}  // namespace vigilo
