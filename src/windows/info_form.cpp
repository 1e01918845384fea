#include "windows/info_form.h"

#include <windowsx.h>

#include "resource_ids.h"
#include "windows/window_fonts.h"

namespace vigilo {
namespace {
constexpr FormFrame kFrame{"TForm3", "Information", 300, 200};
constexpr int kDragStripHeight = 40;
bool g_informationShown = false;  // main thread only

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

void ShowInformationWindow() {
    TForm3 form;
    if (!form.Create()) return;
    g_informationShown = true;
    form.ShowModal();
    g_informationShown = false;
    form.Destroy();
}

bool InformationWindowShown() { return g_informationShown; }

}  // namespace vigilo
