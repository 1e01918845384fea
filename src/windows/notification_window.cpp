#include "windows/notification_window.h"

#include <windowsx.h>
#include <oleacc.h>

#include <algorithm>
#include <vector>

#include "core/finding_actions.h"
#include "core/ignore_rule_edits.h"
#include "core/language_texts.h"
#include "core/notification_gate.h"
#include "core/policy.h"
#include "core/settings_store.h"
#include "platform/accessible_object.h"
#include "platform/message_loop.h"
#include "platform/window_text.h"
#include "windows/launch_companion.h"
#include "windows/notification_placement.h"

namespace vigilo {
namespace {
// Gap left of the buttons at the top right that stays client area, so the buttons get their clicks.
constexpr int kTopButtonMargin = 5;
// How often the window looks whether a full-screen program came or went,
// where the system reports no change of another program's foreground window.
constexpr UINT kForegroundCheckMs = 1000;
}  // namespace

std::function<bool()>& NotificationWindow::FullScreenInFront() {
    static std::function<bool()> rule = &FullScreenProgramInFront;
    return rule;
}

void NotificationWindow::ShowWithoutActivating() { Show(false); }

void NotificationWindow::OnShow() {
    Place();
    FillControls();
    // A setting an administrator forces is not the user's to switch.
    if (OptOutCheckBox && PolicyForced(FactsOf(constants_.kind).setting)) {
        OptOutCheckBox->SetVisible(false);
        if (OptOutLabel) OptOutLabel->SetVisible(false);
    }
    yielded_ = false;
    if (!foregroundWatch_)
        foregroundWatch_ = std::make_unique<ForegroundWatch>([this] { ForegroundChanged(); }, kForegroundCheckMs);
}

void NotificationWindow::OnClose() {
    foregroundWatch_.reset();
    SaveOptOut();
    if (OnClosed) OnClosed();
}

void NotificationWindow::Place() {
    RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const POINT at = NotificationPlacement(ClientSize(), {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                                           workArea, Dpi());
    // Topmost from the start, not only on activation: Windows may refuse a
    // background process the activation, and the window would open behind
    // the installer's.
    SetWindowPos(Handle(), HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void NotificationWindow::StayOnTop() {
    if (!Handle()) return;
    if (FullScreenInFront()()) {
        // Leaves the topmost windows, at the bottom of the z-order: behind the program.
        SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        yielded_ = true;
        return;
    }
    yielded_ = false;
    RECT r;
    GetWindowRect(Handle(), &r);
    SetWindowPos(Handle(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void NotificationWindow::ForegroundChanged() {
    // Only a change of the rule moves the window; other windows' comings and goings do not.
    if (Visible() && FullScreenInFront()() != yielded_) StayOnTop();
}

std::string NotificationWindow::AccessibleName() const {
    std::vector<const Label*> lines;
    for (const Label* label : Labels())
        if (label != TitleLabel && label != OptOutLabel && !label->TabStop() && label->Visible() &&
            !label->Text().empty())
            lines.push_back(label);
    std::stable_sort(lines.begin(), lines.end(), [](const Label* a, const Label* b) {
        const RECT ra = a->Bounds(), rb = b->Bounds();
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    std::string name = TitleLabel ? TitleLabel->Text() : std::string();
    for (const Label* label : lines) name += "\n" + label->Text();
    return name;
}

LRESULT NotificationWindow::WMNCHitTest(int x, int y, LRESULT defaultResult) const {
    RECT window;
    GetWindowRect(Handle(), &window);
    const PushButton* leftmost = MoreOptionsButton ? MoreOptionsButton : CloseButton;
    const int stripRight =
        window.left + (leftmost ? leftmost->Bounds().left : ClientSize().cx) - Scaled(kTopButtonMargin);
    if (y < window.top + Scaled(constants_.firstLabelTop) && x < stripRight) return HTCAPTION;
    return defaultResult;
}

void NotificationWindow::SaveOptOut() {
    // An unticked box leaves the setting as it is: Purgeon may have switched
    // the notifications off while the window was up.
    if (OptOutCheckBox && OptOutCheckBox->Visible() && OptOutCheckBox->Checked()) WriteBool(kSettingsRoot, kSettingsKey, FactsOf(constants_.kind).setting, false);
}

void NotificationWindow::LaunchAndClose() {
    if (launching_) return;
    launching_ = true;
    // While the information window is up, this window takes no clicks, as
    // under a modal window: no second launch, no close beneath it. It closes
    // once the user has closed the information window; a window gone
    // meanwhile, or a shutdown, closes nothing and writes nothing.
    EnableWindow(Handle(), FALSE);
    const auto close = [this, alive = std::weak_ptr<const bool>(alive_)] {
        if (alive.expired()) return;
        EnableWindow(Handle(), TRUE);
        launching_ = false;
        Close();
    };
    if (!LaunchCompanion(Handle(), constants_.linkParameters, close)) close();
}

NotificationMenuSeams& NotificationWindow::MenuSeams() {
    static NotificationMenuSeams seams;
    return seams;
}

UniqueMenu NotificationWindow::BuildMenu() const {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return menu;
    const auto item = [&](UINT id, const TextId& text, bool enabled) {
        AppendMenuText(menu.get(), MF_STRING | (enabled ? 0 : MF_GRAYED), id, Text(text));
    };
    // The junk window has its own switch, the don't-show box; a junk finding names no entry to ignore.
    if (constants_.kind != FindingKind::Junk)
        item(kDontShowAgainItem, texts::kDontShowAgain, OfferedIgnoreLine(Shown).has_value());
    item(kOpenFileLocationItem, texts::kOpenFileLocation, FindingFileLocation(Shown).has_value());
    item(kAllFindingsItem, texts::kTrayAllFindings, static_cast<bool>(MenuSeams().showAllFindings));
    return menu;
}

void NotificationWindow::MoreOptionsClick() { ShowMenu({-1, -1}); }

void NotificationWindow::ShowMenu(POINT at) {
    if (menuOpen_ || launching_ || !Visible()) return;
    UniqueMenu menu = BuildMenu();
    if (!menu) return;
    UINT align = TPM_LEFTALIGN | TPM_TOPALIGN;
    if (at.x == -1 || at.y == -1) {
        // From the keyboard or the button: under the button, flush with its right edge.
        const RECT button = MoreOptionsButton ? MoreOptionsButton->Bounds() : RECT{};
        at = {button.right, button.bottom};
        ClientToScreen(Handle(), &at);
        align = TPM_RIGHTALIGN | TPM_TOPALIGN;
    }
    if (OnUserActed) OnUserActed();
    // A menu whose owner is not in front stays up after a click elsewhere.
    SetForegroundWindow(Handle());
    menuOpen_ = true;
    const std::weak_ptr<const bool> alive = alive_;  // the program may end while the menu is up
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
        menu.get(), align | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, Handle(), nullptr));
    if (alive.expired()) return;
    menuOpen_ = false;
    // Windows' advice for a menu whose owner was brought to the front for it: the next one then closes properly.
    PostMessageW(Handle(), WM_NULL, 0, 0);
    RunMenuItem(chosen);
}

void NotificationWindow::RunMenuItem(UINT item) {
    if (!Visible()) return;
    UniqueMenu offered = BuildMenu();
    const UINT state = offered ? GetMenuState(offered.get(), item, MF_BYCOMMAND) : static_cast<UINT>(-1);
    if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED))) {
        if (OnUserActed) OnUserActed();  // the menu closed without a choice: the time counts from now
        return;
    }
    switch (item) {
    case kDontShowAgainItem:
        // A rule that could not be written leaves the window up: nothing would keep the finding away.
        if (IgnoreFinding(Shown)) {
            Close();
            return;
        }
        break;
    case kOpenFileLocationItem:
        if (const auto location = FindingFileLocation(Shown); location && MenuSeams().showInFolder)
            MenuSeams().showInFolder(Handle(), *location);
        break;
    case kAllFindingsItem:
        MenuSeams().showAllFindings();
        break;
    default:
        break;
    }
    if (OnUserActed) OnUserActed();
}

void NotificationWindow::OnDpiChanged() {
    // What the window's own part placed and loaded (a program's icon, the
    // words after the junk amount) follows the new layout.
    if (Visible()) FillControls();
}

void NotificationWindow::OnCommand(WORD id) {
    if (id == IDCANCEL) CloseButtonClick();  // Esc
}

LRESULT NotificationWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        StayOnTop();  // on activation and on deactivation alike
        break;
    case WM_NCHITTEST:
        return WMNCHitTest(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), Form::OnMessage(msg, wp, lp));
    case WM_WINDOWPOSCHANGED:
        if (const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
            OnThisThreadsStack(pos, sizeof(*pos)) && (pos->flags & SWP_SHOWWINDOW))
            AnnounceAlert(Handle());  // visible now, its texts filled
        break;
    case WM_NCRBUTTONDOWN:
        // Wine would follow the button itself and open the system menu; the release opens the window's menu.
        if (wp == HTCAPTION) return 0;
        break;
    case WM_NCRBUTTONUP:
        if (wp == HTCAPTION) {
            ShowMenu({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        // A right click on any control, Shift+F10 or the menu key (the drag strip's click is above).
        ShowMenu({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_GETOBJECT:
        if (auto answer = AnswerClientObject(Handle(), wp, lp, ROLE_SYSTEM_ALERT, AccessibleName())) return *answer;
        break;
    }
    return Form::OnMessage(msg, wp, lp);
}

}  // namespace vigilo
