#pragma once
// The hidden main window: a top-level window of class "TForm1" titled "Vigilo"
// that exists, never shown, for the whole run. Other processes find the
// program by it, post it message 1135 to restart the monitors, and post the
// registered "Vigilo" message with wParam 1137 to close the program. It owns
// the tray icon's menu and the ten-minute timer, whose tick starts the junk
// check and wakes the watches of the places listed at every tick (the
// scheduled tasks, the services).
#include <windows.h>

#include <memory>
#include <string>

#include "app/monitor_groups.h"
#include "monitors/junk_check.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "tray/recent_findings_menu.h"
#include "tray/tray_icon.h"

namespace vigilo {

class MainWindow : public Window {
public:
    MainWindow();  // creates the window and runs SetUp
    ~MainWindow() override;

    // Closes the main window, which ends the application.
    void Close();

    bool TimerEnabled() const { return timerEnabled_; }
    HMENU PopupMenu() const { return trayMenu_.get(); }
    // "Recent findings", right after "Launch Purgeon"; owned by PopupMenu.
    HMENU RecentFindingsSubmenu() const { return recentSubmenu_; }
    TrayIcon& Tray() const { return *trayIcon_; }
    const MonitorGroups& Monitors() const { return *monitors_; }

    static constexpr UINT kLaunchItem = 1;  // "Launch Purgeon"
    static constexpr UINT kExitItem = 3;  // "Exit"
    static constexpr UINT_PTR kTenMinuteTimer = 1;
    static constexpr UINT kTenMinuteInterval = 600000;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void SetUp();
    void CreateTrayIcon();
    void RestartMonitors();
    // Restarts the monitors per the settings; the text of the first setting
    // that could not be read, or empty.
    std::string StartMonitors();
    // Profiles came or went: each profile there is now gets its watch.
    void BrowserProfilesChanged();
    void TenMinuteTimerEvent();
    // The junk walk ended on its thread: the junk check reports, on this one.
    void JunkWalkEnded();
    void SetTimerEnabled(bool enabled);

    UINT closeRequestId_ = 0;
    UniqueMenu trayMenu_;
    HMENU recentSubmenu_ = nullptr;
    RecentFindingsMenu recentFindings_;
    // After the menu it shows, so it goes first; removes the icon when it goes.
    std::unique_ptr<TrayIcon> trayIcon_;
    bool timerEnabled_ = false;
    std::unique_ptr<MonitorGroups> monitors_;  // over the path set's places, made with it
    std::unique_ptr<JunkCheck> junkCheck_;  // over the path set's caches, made with it
};

}  // namespace vigilo
