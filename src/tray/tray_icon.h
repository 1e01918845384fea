#pragma once
// The program's icon in the notification area of the taskbar.
//
// The shell reports mouse and balloon events on the icon by sending
// kMsgTrayCallback to the shared TrayIconHandler window; the handler finds
// the icon by IconId (the uID of IconData) and calls HandleTrayNotification.
// Clicks are timed with ClickTimer: without an OnDblClick handler a click is
// raised at the left button's release; with one it waits the system's
// double-click time and is dropped if a double click comes first. The right
// button's press opens PopupMenu at the cursor. When the taskbar is
// re-created, the handler window hears "TaskbarCreated" and a visible icon
// adds itself again. Destroying the component removes the icon.
//
// Left out on purpose: minimizing to the tray, the start-up question
// (OnStartup) and the designer's preview; this program never shows a main
// window and has no designer.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/unique_handle.h"
#include "tray/shared_lease.h"
#include "tray/simple_timer.h"
#include "tray/tray_icon_data.h"
#include "tray/tray_icon_handler.h"

namespace vigilo {

enum class MouseButton { Left, Right, Middle };

// Keys and buttons held during a mouse notification.
using ModifierKeys = unsigned;
inline constexpr ModifierKeys kShiftHeld = 1, kAltHeld = 2, kCtrlHeld = 4, kLeftHeld = 8, kRightHeld = 16, kMiddleHeld = 32;

class TrayIcon : public TrayIconClient {
public:
    using NotifyEvent = std::function<void()>;
    using MouseButtonEvent = std::function<void(MouseButton, ModifierKeys, int x, int y)>;
    using MouseMoveEvent = std::function<void(ModifierKeys, int x, int y)>;
    using CycleEvent = std::function<void(int nextIndex)>;

    static constexpr size_t kMaxHintLength = 255;
    static constexpr UINT kExitPollMs = 20;

    // owner: the window that receives the menu's WM_COMMAND and the WM_NULL
    // after the menu closes (the main window); may be null.
    explicit TrayIcon(HWND owner = nullptr);
    virtual ~TrayIcon();  // removes the icon from the tray
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    bool Enabled() const { return enabled_; }
    // False: mouse notifications are ignored (balloon ones are not).
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    const std::string& Hint() const { return hint_; }
    // Keeps at most 255 characters; the shell is given the first 127.
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool showHint);

    HICON Icon() const { return icon_.get(); }
    // Shows a copy of the icon (the caller keeps its own); null shows none.
    void SetIcon(HICON icon);

    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool visible);

    int IconIndex() const { return iconIndex_; }
    // Shows IconList's image at index, the last one for an index past the end.
    void SetIconIndex(int index);
    const std::vector<UniqueIcon>& IconList() const { return iconList_; }
    // Takes the images for cycling; an empty list means none.
    void SetIconList(std::vector<UniqueIcon> icons);

    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool cycle);
    UINT CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(UINT intervalMs);

    HMENU PopupMenu() const { return popupMenu_; }
    // The menu is not owned; it must outlive its use here.
    void SetPopupMenu(HMENU menu) { popupMenu_ = menu; }
    bool LeftPopup() const { return leftPopup_; }
    void SetLeftPopup(bool leftPopup) { leftPopup_ = leftPopup; }

    bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
    // True: OnMouseEnter/OnMouseExit are raised; the exit is found by a 20 ms poll.
    void SetWantEnterExitEvents(bool want);

    NotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseExit;
    MouseButtonEvent OnMouseDown, OnMouseUp;
    MouseMoveEvent OnMouseMove;
    CycleEvent OnCycle;
    NotifyEvent OnBalloonHintClick, OnBalloonHintHide, OnBalloonHintTimeout;

    // Shell calls; each answers whether the shell accepted it.
    virtual bool AddToTray();
    virtual bool RemoveFromTray();
    virtual bool RefreshTray();

    // Opens PopupMenu at the cursor; returns when it has closed and the
    // chosen item's WM_COMMAND has been handled by the owner.
    void ShowMenuAtCursor();

    UINT IconId() const override { return iconId_; }
    // The record last given to the shell.
    const TrayIconData& IconData() const { return iconData_; }
    // The shared window the shell notifies.
    HWND HandlerWindow() const { return handler_->Handle(); }

    // Called by the handler window.
    void HandleTrayNotification(UINT notification) override;
    void HandleTaskbarCreated() override;

protected:
    virtual void FireClick();
    virtual void FireDblClick();
    virtual void FireCycle(int nextIndex);
    virtual void FireMouseDown(MouseButton button, ModifierKeys shift, int x, int y);
    virtual void FireMouseUp(MouseButton button, ModifierKeys shift, int x, int y);
    virtual void FireMouseMove(ModifierKeys shift, int x, int y);
    virtual void FireMouseEnter();
    virtual void FireMouseExit();

private:
    void PrepareIconData();
    void ApplyCycleIcons();
    void ClickTimeout();
    void ExitPoll();
    void CycleStep();
    void ClickDefaultMenuItem();
    HWND MenuOwner() const;

    // Declared first so that it goes last: the handler window outlives the
    // icon's removal and the timers, whatever happens before.
    SharedLease<TrayIconHandler> handler_;
    const HWND owner_;
    const UINT iconId_;
    TrayIconData iconData_{};

    bool enabled_ = true;
    std::string hint_;
    bool showHint_ = true;
    UniqueIcon icon_;
    bool iconVisible_ = false;
    int iconIndex_ = 0;
    std::vector<UniqueIcon> iconList_;
    bool cycleIcons_ = false;
    UINT cycleInterval_ = 0;
    HMENU popupMenu_ = nullptr;
    bool leftPopup_ = false;
    bool wantEnterExitEvents_ = false;

    bool clickStarted_ = false;
    bool clickPending_ = false;
    bool dblClickSeen_ = false;
    bool mouseOutside_ = true;
    POINT lastCursorPos_{};

    SimpleTimer cycleTimer_;
    SimpleTimer clickTimer_;
    SimpleTimer exitTimer_;

    // Expires with the object: code that ran a handler checks it before
    // touching members again, since a handler may destroy the icon.
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);
};

}  // namespace vigilo
