#include "windows/notification_placement.h"

#include <algorithm>

#include "platform/dpi.h"

namespace vigilo {
namespace {
// Distances of the window from the right edge and from the screen's bottom
// edge as designed, and the least distance kept from the work area's bottom.
constexpr int kRightMargin = 5;
constexpr int kScreenBottomMargin = 60;
constexpr int kWorkAreaBottomMargin = 5;
}  // namespace

POINT NotificationPlacement(SIZE window, SIZE screen, const RECT& workArea, int dpi) {
    const int left = workArea.right - window.cx - ScaleForDpi(kRightMargin, dpi);
    const int top = std::min(screen.cy - window.cy - ScaleForDpi(kScreenBottomMargin, dpi),
                             static_cast<int>(workArea.bottom) - window.cy - ScaleForDpi(kWorkAreaBottomMargin, dpi));
    return {left, top};
}

}  // namespace vigilo
