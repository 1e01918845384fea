#pragma once
// What the four notification windows share: a borderless pop-up in the
// bottom-right corner (windows/notification_placement.h), kept topmost,
// dragged by the band above its first content line, closed by the cross at
// the top right, by Esc or by the link that starts Purgeon. A close with the
// don't-show box ticked writes the window's notifier setting as false; with
// the box unticked, and for a window destroyed without having been closed,
// nothing is written.
//
// While a full-screen program is in front (core/notification_gate.h) the
// window leaves it the screen: it is no longer topmost, and goes behind it,
// until the program goes; the foreground is watched while the window is up.
//
// Screen readers: the window is an alert. Once visible it raises
// EVENT_SYSTEM_ALERT, and its accessible object (WM_GETOBJECT) is named by its
// title and then its content lines, top to bottom (AccessibleName). The
// close cross is a button named "Close" ([Buttons] Close); once the user has
// clicked into the window, Tab reaches the box, the cross and the link.
//
// Beside the cross, the "..." button (named "More options") opens the
// window's menu, as a right click anywhere in it does, the drag strip
// included, and Shift+F10 or the menu key: "Don't show this again" (the
// finding's exact ignore rule, then the window closes; not in the junk
// window), "Open file location" (greyed unless the finding names a local
// program file) and "All findings..." (the findings window). Opening the
// menu and acting in it give a timed window its time again, and while the
// menu is up the window is not ended under it (HeldByUser).
//
// A window derives from NotificationWindow, gives it its NotificationConstants,
// declares its controls as one table (using the frame's rows below for the
// shared controls), calls Create() in its constructor, names its link handler
// (LaunchLinkClick or LaunchLinkClick) as a one-line call of LaunchAndClose(), and
// copies its data fields into its controls in FillControls().
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "core/finding.h"
#include "platform/foreground_watch.h"
#include "platform/shell.h"
#include "platform/unique_handle.h"
#include "resource_ids.h"
#include "ui/control_spec.h"
#include "ui/form.h"
#include "windows/window_fonts.h"

namespace vigilo {

// The constants in which the four windows differ.
struct NotificationConstants {
    FormFrame frame;             // class, title, 400 x 238 or 400 x 270
    int background;              // bitmap resource of the art, the window's size
    FindingKind kind;            // whose notifier setting a close with the box ticked switches off
    int firstLabelTop;           // the drag strip reaches down to this client y
    const char* linkParameters;  // "", " /STARTUP" or " /CLEAN"
    POINT optOutCheckBox;                // don't-show box
    POINT optOutLabel;           // and its text
};

// What the window's menu asks of the rest of the program; the program sets
// it once at start, and tests answer instead.
struct NotificationMenuSeams {
    // Opens the findings window, or brings it to the front; none: the item is greyed.
    std::function<void()> showAllFindings;
    // Opens a file's folder in Explorer with the file selected.
    std::function<void(HWND owner, const std::string& file)> showInFolder = ShowInFolder;
};

// The items of a notification's menu, as their command ids.
enum NotificationMenuItem : UINT {
    kDontShowAgainItem = 1,
    kOpenFileLocationItem,
    kAllFindingsItem,
};

class NotificationWindow : public Form {
public:
    explicit NotificationWindow(const NotificationConstants& constants)
        : Form(constants.frame), constants_(constants) {}

    // Places the window and shows it in front without modality and without
    // taking activation (the user keeps typing where they were); it joins the
    // topmost windows at once.
    void ShowWithoutActivating();
    // Closes the window (close cross).
    void CloseButtonClick() { Close(); }
    // Joins the topmost windows again without moving, sizing or activating,
    // unless a full-screen program is in front: then leaves the topmost
    // windows and goes behind it. Runs on activation and on deactivation, and
    // when a full-screen program comes to the front or goes while the window is up.
    void StayOnTop();
    // What a screen reader reads: the title, then every other label but the
    // link and the box's text that shows text, top to bottom, one a line.
    std::string AccessibleName() const;
    // Whether a full-screen program is in front; tests put a rule of their own.
    static std::function<bool()>& FullScreenInFront();
    // The result of WM_NCHITTEST at screen point (x, y), given the default result.
    LRESULT WMNCHitTest(int x, int y, LRESULT defaultResult) const;
    // Writes the notifier setting as false when the don't-show box is ticked.
    void SaveOptOut();
    // Runs after the user closed the window (its close handler has run).
    std::function<void()> OnClosed;
    // Its link is starting Purgeon (or showing that it is missing): it must not be destroyed now.
    bool Launching() const { return launching_; }
    // Its link's information window or its menu is up: it must not be destroyed now.
    bool HeldByUser() const { return launching_ || menuOpen_; }

    // The "..." button: opens the menu under it.
    void MoreOptionsClick();
    // Opens the menu at screen point at (x or y -1: under the "..." button,
    // as for the keyboard) and does what the user chose there.
    void ShowMenu(POINT at);
    // Does what the menu's item does; an item not offered does nothing.
    void RunMenuItem(UINT item);
    // The menu as it opens now: the items this window offers, greyed where
    // its finding allows none; null when no menu could be made.
    UniqueMenu BuildMenu() const;
    // What every window's menu asks of the program (set by it at start).
    static NotificationMenuSeams& MenuSeams();

    // Set by the caller before showing:
    // The finding shown: what the menu acts on, and what the user's actions are told of.
    Finding Shown;
    // Runs when the user opens the menu or acts in the window, so that a timed window's time starts again.
    std::function<void()> OnUserActed;

    // The controls every notification window has (frame_rows below).
    Image* BackgroundImage = nullptr;        // the art, the window's size
    Label* TitleLabel = nullptr;     // the title "Purgeon"
    PushButton* CloseButton = nullptr;  // the close cross
    PushButton* MoreOptionsButton = nullptr;  // "...", left of the cross: the menu
    CheckBox* OptOutCheckBox = nullptr;       // don't show this kind again
    Label* OptOutLabel = nullptr;     // and its text

protected:
    // The link: starts Purgeon with the window's parameters (or shows the
    // information window when it is missing), then closes the window.
    void LaunchAndClose();
    // The window's own part of showing: copies the data fields the caller set
    // into its controls. Runs after placement, before the window shows.
    virtual void FillControls() {}

    void OnShow() final;
    void OnClose() final;
    void OnDpiChanged() override;
    void OnCommand(WORD id) override;
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Place();
    void ForegroundChanged();

    NotificationConstants constants_;
    bool launching_ = false;
    bool menuOpen_ = false;
    // Expires with the window: what follows the information window's close looks here first.
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
    bool yielded_ = false;  // behind a full-screen program, not topmost
    std::unique_ptr<ForegroundWatch> foregroundWatch_;  // while the window is up
};

// Rows of the controls every notification window has, for its control table.
namespace frame_rows {

template <typename F>
constexpr ControlSpec<F> BackgroundImage(const NotificationConstants& c) {
    return {"BackgroundImage", &F::BackgroundImage, 0, 0, c.frame.width, c.frame.height, nullptr, BitmapRes(c.background), 0};
}

// The title "Purgeon" on the dark band.
template <typename F>
constexpr ControlSpec<F> TitleLabel() {
    return {"TitleLabel", &F::TitleLabel, 16, 10, 0, 20, &fonts::kNotifyTitle, Design("Purgeon"),
            kAutoSize | kCenterV};
}

// The link that starts Purgeon: underlined, hand cursor, sized to its text, a tab stop.
template <typename F>
constexpr ControlSpec<F> Link(const char* name, Label* F::*member, int left, int top, Content text,
                              void (F::*OnClick)()) {
    return {name, member, left, top, 0, 17, &fonts::kLink, text, kAutoSize | kHandCursor | kTabStop, OnClick};
}

// The don't-show box's text; a label of its own, so a click on it does not toggle the box.
template <typename F>
constexpr ControlSpec<F> OptOutLabel(const NotificationConstants& c, const TextId& text) {
    return {"OptOutLabel", &F::OptOutLabel, c.optOutLabel.x, c.optOutLabel.y, 0, 13, &fonts::kCheckLabel,
            Lang(text), kAutoSize};
}

// The close cross at the top right, a button named "Close" for screen readers.
template <typename F>
constexpr ControlSpec<F> CloseButton() {
    return {"CloseButton", &F::CloseButton, 372, 0, 28, 22, nullptr,
            NamedPngRes(IDR_CLOSE_CROSS_PNG, texts::kButtonsClose), kHandCursor, &F::CloseButtonClick};
}

// The "..." button left of the cross, as high and wide; named "More options" for screen readers.
template <typename F>
constexpr ControlSpec<F> MoreOptionsButton() {
    return {"MoreOptionsButton", &F::MoreOptionsButton, 344, 0, 28, 22, nullptr,
            NamedPngRes(IDR_MORE_OPTIONS_PNG, texts::kMoreOptions), kHandCursor, &F::MoreOptionsClick};
}

// The don't-show box, unticked at start; named for screen readers by its text.
template <typename F>
constexpr ControlSpec<F> OptOutCheckBox(const NotificationConstants& c, const TextId& text) {
    return {"OptOutCheckBox", &F::OptOutCheckBox, c.optOutCheckBox.x, c.optOutCheckBox.y, 17, 17, nullptr, Lang(text), 0};
}

}  // namespace frame_rows
}  // namespace vigilo
