#include "ui/image.h"

namespace vigilo {

bool Image::Create(HWND parent, const RECT& bounds, bool visible) {
    return CreateChild("VigiloImage", parent, bounds, "", visible);
}

void Image::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    if (sizedToPicture_ && Handle() && !picture_.Empty())
        SetWindowPos(Handle(), nullptr, 0, 0, picture_.Size().cx, picture_.Size().cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Changed();
}

}  // namespace vigilo
