#include "windows/info_form.h"

#include <windowsx.h>

#include <memory>

#include "resource_ids.h"
#include "windows/window_fonts.h"

namespace vigilo {
namespace {
constexpr FormFrame kFrame{"TForm3", "Information", 300, 200};
constexpr int kDragStripHeight = 40;
// The window ShowInformationWindow shows, and what follows its close. The
// one closed is freed at the next show, unless that show comes from what
// follows its close, which runs inside its close handler.
std::unique_ptr<TForm3> g_shown;
std::unique_ptr<TForm3> g_closedBefore;
std::function<void()> g_afterClose;
bool g_inCloseHandler = false;

using F = TForm3;
constexpr ControlSpec<F> kControls[] = {
    // name          member            left  top  width height font               text or picture                 flags                               click              mouse move
    {"WndImage",     &F::WndImage,        0,   0,  300,  200, nullptr,            BitmapRes(IDB_INFO_BACKGROUND), 0,                                  nullptr,           &F::WndImageMouseMove},
    {"InfoLabel",    &F::InfoLabel,      16,  74,  268,   34, nullptr,            Lang(texts::kFileNotFound),     kCenterH | kCenterV | kWordWrap},
    {"ActionLabel",  &F::ActionLabel,    16,  12,    0,   17, &fonts::kInfoTitle, Lang(texts::kInformation),      kAutoSize | kCenterV},
    {"Button1B",     &F::Button1B,      113, 153,   74,   20, nullptr,            BitmapRes(IDB_BUTTON_HOVER),    kHandCursor | kHidden,              &F::Button1Click,  &F::Button1MouseMove},
    {"Button1A",     &F::Button1A,      113, 153,   74,   20, nullptr,            BitmapRes(IDB_BUTTON),          kHandCursor,                        &F::Button1Click,  &F::Button1MouseMove},
    {"Button1Label", &F::Button1Label,  141, 154,    0,   17, nullptr,            Lang(texts::kButtonsOk),        kAutoSize | kCenterV | kHandCursor, &F::Button1Click,  &F::Button1MouseMove},
};
}  // namespace

TForm3::TForm3() : Form(kFrame) { Declare(this, kControls); }

void TForm3::Button1MouseMove() {
    if (Button1B->Visible()) return;
    Button1B->SetVisible(true);
    Button1A->SetVisible(false);
}

void TForm3::WndImageMouseMove() {
    if (Button1A->Visible()) return;
    Button1A->SetVisible(true);
    Button1B->SetVisible(false);
}

void TForm3::OnShow() {
    if (placed_) return;
    placed_ = true;
    // Centred on the desktop spanning all monitors.
    const SIZE size = ClientSize();
    const int left = (GetSystemMetrics(SM_CXVIRTUALSCREEN) - size.cx) / 2;
    const int top = (GetSystemMetrics(SM_CYVIRTUALSCREEN) - size.cy) / 2;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TForm3::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = Form::OnMessage(msg, wp, lp);
    if (msg == WM_NCHITTEST) {
        RECT window;
        GetWindowRect(Handle(), &window);
        if (GET_Y_LPARAM(lp) < window.top + Scaled(kDragStripHeight)) result = HTCAPTION;
    }
    return result;
}

void TForm3::OnClose() {
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
    auto form = std::make_unique<TForm3>();
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
