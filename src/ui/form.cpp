#include "ui/form.h"

#include "platform/message_loop.h"

namespace vigilo {
namespace {
// DPIs a WM_DPICHANGED may name; any other is no screen's.
constexpr int kLeastDpi = 48;
constexpr int kMostDpi = 960;

std::string TextOf(const Content& content) {
    if (content.source == Content::Source::Design) return content.design;
    // A picture's text is its name for screen readers.
    return content.language ? Text(*content.language) : std::string();
}

bool HasPicture(const Content& content) {
    return content.source == Content::Source::Bitmap || content.source == Content::Source::Png;
}

Picture PictureOf(const Content& content, int dpi) {
    if (!HasPicture(content)) return {};
    return Picture::FromPngResource(content.resource, content.source == Content::Source::Png, dpi);
}
}  // namespace

Form::~Form() { Destroy(); }

bool Form::Create() {
    if (Handle()) return true;
    RegisterClassOnce(frame_.className);
    // Unowned, yet no taskbar button and no Alt+Tab entry: these windows
    // accompany whatever the user is doing and are not programs of their own.
    if (!CreateHandle(frame_.className, frame_.title, WS_POPUP | WS_CLIPCHILDREN,
                      WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, 0, 0, frame_.width, frame_.height))
        return false;
    dpi_ = WindowDpi(Handle());
    const SIZE size = ClientSize();
    SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (size_t row = 0; row < declared_.size(); ++row) Build(row);
    return true;
}

RECT Form::ScaledBounds(const ControlLayout& row) const {
    const int left = Scaled(row.left), top = Scaled(row.top);
    return {left, top, left + Scaled(row.width), top + Scaled(row.height)};
}

void Form::Build(size_t index) {
    const Declared& declared = declared_[index];
    const ControlLayout& row = declared.layout;
    const RECT bounds = ScaledBounds(row);
    const bool visible = !(row.flags & kHidden);
    Built built{index};
    std::unique_ptr<Control> control;
    switch (row.kind) {
    case ControlKind::Label: {
        auto label =
            std::make_unique<Label>(row.name, row.font ? *row.font : *frame_.defaultFont, row.flags, dpi_);
        label->Create(Handle(), bounds, TextOf(row.content), visible);
        declared.setMember(label.get());
        control = std::move(label);
        break;
    }
    case ControlKind::Image: {
        auto image = std::make_unique<Image>(row.name, (row.flags & kAutoSize) != 0);
        image->Create(Handle(), bounds, visible);
        image->SetPicture(PictureOf(row.content, dpi_));
        declared.setMember(image.get());
        control = std::move(image);
        break;
    }
    case ControlKind::CheckBox: {
        auto box = std::make_unique<CheckBox>(row.name);
        box->Create(Handle(), bounds, TextOf(row.content), visible);
        declared.setMember(box.get());
        built.box = box.get();
        built_.push_back(built);
        checkBoxes_.push_back(std::move(box));
        return;
    }
    case ControlKind::Button: {
        auto button = std::make_unique<PushButton>(row.name);
        button->Create(Handle(), bounds, TextOf(row.content), visible);
        button->SetPicture(PictureOf(row.content, dpi_));
        button->SetHandCursor(row.flags & kHandCursor);
        button->OnClick = declared.OnClick;
        declared.setMember(button.get());
        built.button = button.get();
        built_.push_back(built);
        buttons_.push_back(std::move(button));
        return;
    }
    }
    control->SetHandCursor(row.flags & kHandCursor);
    control->SetTabStop(row.flags & kTabStop);
    control->OnClick = declared.OnClick;
    control->OnMouseMove = declared.OnMouseMove;
    built.control = control.get();
    built_.push_back(built);
    controls_.push_back(std::move(control));
}

std::vector<const Label*> Form::Labels() const {
    std::vector<const Label*> labels;
    for (const Built& built : built_)
        if (auto* label = dynamic_cast<const Label*>(built.control)) labels.push_back(label);
    return labels;
}

void Form::ApplyDpi(int dpi, const RECT* bounds) {
    if (!Handle() || dpi < kLeastDpi || dpi > kMostDpi) return;
    dpi_ = dpi;
    const SIZE size = ClientSize();
    RECT window;
    GetWindowRect(Handle(), &window);
    if (bounds) window = *bounds;
    // The system's rectangle for the new screen; the size is the window's own.
    SetWindowPos(Handle(), nullptr, window.left, window.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Built& built : built_) {
        const ControlLayout& row = declared_[built.row].layout;
        const RECT placed = ScaledBounds(row);
        if (built.box) {
            SetWindowPos(built.box->Handle(), nullptr, placed.left, placed.top, placed.right - placed.left,
                         placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (built.button) {
            built.button->Place(placed);
            built.button->SetPicture(PictureOf(row.content, dpi));
        } else if (auto* label = dynamic_cast<Label*>(built.control)) {
            label->SetDpi(dpi);
            label->Place(placed);
        } else if (auto* image = dynamic_cast<Image*>(built.control)) {
            image->Place(placed);
            if (HasPicture(row.content)) image->SetPicture(PictureOf(row.content, dpi));
        }
    }
    OnDpiChanged();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

PushButton* Form::ButtonOf(HWND hwnd) const {
    for (const auto& button : buttons_)
        if (hwnd && button->Handle() == hwnd) return button.get();
    return nullptr;
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
    RECT client;
    GetClientRect(Handle(), &client);
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
        // The check box takes the keyboard focus when the user activates the window.
        if (LOWORD(wp) != WA_INACTIVE && !checkBoxes_.empty() && checkBoxes_.front()->Handle()) {
            SetFocus(checkBoxes_.front()->Handle());
            return 0;
        }
        break;
    case WM_NEXTDLGCTL: {
        // Tab and Shift+Tab, from the dialog keys; a window named by another program is not taken.
        const HWND focus = GetFocus();
        const HWND next = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                                     : GetNextDlgTabItem(Handle(), IsChild(Handle(), focus) ? focus : nullptr, wp != 0);
        if (next && IsChild(Handle(), next)) SetFocus(next);
        return 0;
    }
    case WM_COMMAND:
        if (PushButton* button = ButtonOf(reinterpret_cast<HWND>(lp)); button && HIWORD(wp) == BN_CLICKED) {
            button->Click();
            return 0;
        }
        if (!lp || !IsChild(Handle(), reinterpret_cast<HWND>(lp))) OnCommand(LOWORD(wp));
        return 0;
    case WM_DRAWITEM:
        if (auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp); OnThisThreadsStack(item, sizeof(*item))) {
            if (PushButton* button = ButtonOf(item->hwndItem)) {
                button->Draw(*item);
                return TRUE;
            }
        }
        break;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lp);
        ApplyDpi(HIWORD(wp), OnThisThreadsStack(suggested, sizeof(RECT)) ? suggested : nullptr);
        return 0;
    }
    }
    return Window::OnMessage(msg, wp, lp);
}

void Form::OnDestroyed() {
    // The controls' windows went with ours.
    for (const Declared& declared : declared_) declared.setMember(nullptr);
    for (auto& box : checkBoxes_) box->Forget();
    for (auto& button : buttons_) button->Forget();
    built_.clear();
    checkBoxes_.clear();
    buttons_.clear();
    controls_.clear();
}

}  // namespace vigilo
