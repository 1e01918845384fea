#include "windows/info_window.h"

#include <windowsx.h>

#include <memory>

#include "core/window_classes.h"
#include "resource_ids.h"
#include "windows/window_fonts.h"

namespace vigilo {
namespace {
constexpr FormFrame kFrame{window_classes::kInfo, window_classes::kInfoTitle, 300, 200};
constexpr int kDragStripHeight = 40;
// The window ShowInformationWindow shows, and what follows its close. The
// one closed is freed at the next show, unless that show comes from what
// follows its close, which runs inside its close handler.
std::unique_ptr<InfoWindow> g_shown;
std::unique_ptr<InfoWindow> g_closedBefore;
std::function<void()> g_afterClose;
bool g_inCloseHandler = false;

using F = InfoWindow;
constexpr ControlSpec<F> kControls[] = {
    // name          member            left  top  width height font               text or picture                 flags                               click              mouse move
    {"BackgroundImage",     &F::BackgroundImage,        0,   0,  300,  200, nullptr,            BitmapRes(IDB_INFO_BACKGROUND), 0,                                  nullptr,           &F::BackgroundMouseMove},
    {"InfoLabel",    &F::InfoLabel,      16,  74,  268,   34, nullptr,            Lang(texts::kFileNotFound),     kCenterH | kCenterV | kWordWrap},
    {"TitleLabel",  &F::TitleLabel,    16,  12,    0,   17, &fonts::kInfoTitle, Lang(texts::kInformation),      kAutoSize | kCenterV},
    {"OkHoverImage",     &F::OkHoverImage,      113, 153,   74,   20, nullptr,            BitmapRes(IDB_BUTTON_HOVER),    kHandCursor | kHidden,              &F::OkClick,  &F::OkMouseMove},
    {"OkImage",     &F::OkImage,      113, 153,   74,   20, nullptr,            BitmapRes(IDB_BUTTON),          kHandCursor,                        &F::OkClick,  &F::OkMouseMove},
    {"OkLabel", &F::OkLabel,  141, 154,    0,   17, nullptr,            Lang(texts::kButtonsOk),        kAutoSize | kCenterV | kHandCursor, &F::OkClick,  &F::OkMouseMove},
};
}  // namespace

InfoWindow::InfoWindow() : Form(kFrame) { Declare(this, kControls); }

void InfoWindow::OkMouseMove() {
    if (OkHoverImage->Visible()) return;
    OkHoverImage->SetVisible(true);
    OkImage->SetVisible(false);
}

void InfoWindow::BackgroundMouseMove() {
    if (OkImage->Visible()) return;
    OkImage->SetVisible(true);
    OkHoverImage->SetVisible(false);
}

void InfoWindow::OnShow() {
    if (placed_) return;
    placed_ = true;
    // Centred on the desktop spanning all monitors.
    const SIZE size = ClientSize();
    const int left = (GetSystemMetrics(SM_CXVIRTUALSCREEN) - size.cx) / 2;
    const int top = (GetSystemMetrics(SM_CYVIRTUALSCREEN) - size.cy) / 2;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT InfoWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = Form::OnMessage(msg, wp, lp);
    if (msg == WM_NCHITTEST) {
        RECT window;
        GetWindowRect(Handle(), &window);
        if (GET_Y_LPARAM(lp) < window.top + Scaled(kDragStripHeight)) result = HTCAPTION;
    }
    return result;
}

void InfoWindow::OnClose() {
    if (this != g_shown.get()) return;  // a window of its own, not the program's
    std::function<void()> afterClose = std::move(g_afterClose);
    g_afterClose = nullptr;
    g_closedBefore = std::move(g_shown);
    Destroy();
    g_inCloseHandler = true;
    if (afterClose) afterClose();
    g_inCloseHandler = false;
}

bool ShowInformationWindow(std::function<void()> afterClose) {
    if (g_shown) return false;
    if (!g_inCloseHandler) g_closedBefore.reset();
    auto form = std::make_unique<InfoWindow>();
    if (!form->Create()) return false;
    g_shown = std::move(form);
    g_afterClose = std::move(afterClose);
    g_shown->Show(true);
    return true;
}

bool InformationWindowShown() { return g_shown != nullptr; }

void DestroyInformationWindow() {
    g_afterClose = nullptr;
    g_shown.reset();
    g_closedBefore.reset();
}

}  // namespace vigilo
