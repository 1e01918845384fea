#pragma once
// An image control: shows a picture at its top-left corner, or nothing
// until it is given one. An image sized to its picture takes the picture's
// size; otherwise it keeps the size of its box.
#include "ui/control.h"
#include "ui/picture.h"

namespace vigilo {

class Image : public Control {
public:
    Image(std::string name, bool sizedToPicture) : Control(std::move(name)), sizedToPicture_(sizedToPicture) {}

    bool Create(HWND parent, const RECT& bounds, bool visible);
    const Picture& GetPicture() const { return picture_; }
    void SetPicture(Picture picture);
    // Takes ownership of icon, made size pixels square; it is destroyed
    // with the image or the next picture.
    void SetIcon(HICON icon, int size) { SetPicture(Picture::FromIcon(icon, size)); }
    void PaintContent(HDC dc) const override { picture_.Draw(dc, 0, 0); }

private:
    Picture picture_;
    bool sizedToPicture_;
};

}  // namespace vigilo
