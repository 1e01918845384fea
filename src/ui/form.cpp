#include "ui/form.h"

#include "platform/message_loop.h"

namespace vigilo {
namespace {
std::string TextOf(const Content& content) {
    switch (content.source) {
    case Content::Source::Design: return content.design;
    case Content::Source::Language: return Text(*content.language);
    default: return {};
    }
}

Picture PictureOf(const Content& content) {
    switch (content.source) {
    case Content::Source::Bitmap: return Picture::FromPngResource(content.resource, false);
    case Content::Source::Png: return Picture::FromPngResource(content.resource, true);
    default: return {};
    }
}
}  // namespace

Form::~Form() { Destroy(); }

bool Form::Create() {
    if (Handle()) return true;
    RegisterClassOnce(frame_.className);
    // Unowned, yet no taskbar button and no Alt+Tab entry: these windows
    // accompany whatever the user is doing and are not programs of their own.
    if (!CreateHandle(frame_.className, frame_.title, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW, 0, 0,
                      frame_.width, frame_.height))
        return false;
    for (const Declared& declared : declared_) Build(declared);
    CreateForm();
    return true;
}

void Form::Build(const Declared& declared) {
    const ControlLayout& row = declared.layout;
    const RECT bounds{row.left, row.top, row.left + row.width, row.top + row.height};
    const bool visible = !(row.flags & kHidden);
    std::unique_ptr<Control> control;
    switch (row.kind) {
    case ControlKind::Label: {
        auto label = std::make_unique<Label>(row.name, row.font ? *row.font : *frame_.defaultFont, row.flags);
        label->Create(Handle(), bounds, TextOf(row.content), visible);
        declared.setMember(label.get());
        control = std::move(label);
        break;
    }
    case ControlKind::Image: {
        auto image = std::make_unique<Image>(row.name, (row.flags & kAutoSize) != 0);
        image->Create(Handle(), bounds, visible);
        image->SetPicture(PictureOf(row.content));
        declared.setMember(image.get());
        control = std::move(image);
        break;
    }
    case ControlKind::CheckBox: {
        auto box = std::make_unique<CheckBox>(row.name);
        box->Create(Handle(), bounds, TextOf(row.content), visible);
        declared.setMember(box.get());
        checkBoxes_.push_back(std::move(box));
        return;
    }
    }
    control->SetHandCursor(row.flags & kHandCursor);
    control->onClick = declared.onClick;
    control->onMouseMove = declared.onMouseMove;
    controls_.push_back(std::move(control));
}

void Form::Show(bool activate) {
    if (!Handle()) return;
    OnShow();
    ShowWindow(Handle(), activate ? SW_SHOW : SW_SHOWNOACTIVATE);
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | (activate ? 0 : SWP_NOACTIVATE));
    if (activate) SetForegroundWindow(Handle());
}

void Form::Close() {
    // A hidden window has nothing to close: a second close of a window the
    // user already closed (a timed one waits out its time hidden) runs no
    // close handler again.
    if (!Visible()) return;
    ShowWindow(Handle(), SW_HIDE);
    OnClose();
}

void Form::Destroy() { DestroyHandle(); }

void Form::PaintBackground(HDC dc) const {
    RECT client{0, 0, frame_.width, frame_.height};
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

LRESULT Form::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        PaintBackground(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_CLOSE:
        Close();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // The check boxes sit on the white body; their hidden caption is drawn white too.
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_ACTIVATE:
        // The check box is the only control that takes the keyboard focus.
        if (LOWORD(wp) != WA_INACTIVE && !checkBoxes_.empty() && checkBoxes_.front()->Handle()) {
            SetFocus(checkBoxes_.front()->Handle());
            return 0;
        }
        break;
    }
    return Window::OnMessage(msg, wp, lp);
}

void Form::OnDestroyed() {
    // The controls' windows went with ours.
    for (const Declared& declared : declared_) declared.setMember(nullptr);
    for (auto& box : checkBoxes_) box->Forget();
    checkBoxes_.clear();
    controls_.clear();
}

}  // namespace vigilo
