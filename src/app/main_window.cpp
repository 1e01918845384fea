#include "app/main_window.h"

#include "app/findings_wiring.h"
#include "app/monitor_wiring.h"
#include "core/companion.h"
#include "core/error_box.h"
#include "core/event_log.h"
#include "core/finding_reporters.h"
#include "core/ignore_rules.h"
#include "core/kept_listing.h"
#include "core/language_texts.h"
#include "core/messages.h"
#include "core/path_set.h"
#include "core/policy.h"
#include "core/setting_names.h"
#include "core/settings_store.h"
#include "core/window_classes.h"
#include "monitors/ten_minute_tick.h"
#include "platform/file_system.h"
#include "platform/message_loop.h"
#include "platform/window_text.h"
#include "resource_ids.h"
#include "windows/findings_window.h"
#include "windows/info_window.h"
#include "windows/launch_companion.h"
#include "windows/notification_host.h"

namespace vigilo {

MainWindow::MainWindow()
    : recentFindings_([this](const std::string& parameters) { LaunchCompanion(Handle(), parameters); },
                      [] { OpenFindingsWindow(); }) {
    RegisterClassOnce(window_classes::kMain);
    // A dialog-framed form with a 172 x 42 client area; it is never shown.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, 172, 42};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    CreateHandle(window_classes::kMain, window_classes::kMainTitle, style, exStyle, CW_USEDEFAULT,
                 CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top);
    SetUp();
    CreateTrayIcon();
}

MainWindow::~MainWindow() {
    // The program ends: what follows the information window's close does not
    // run, and the window up now writes no setting.
    DestroyInformationWindow();
    CloseFindingsWindow();
    ClearFindingReporters();
    EndNotification();
    SetApplicationMessageFilter(nullptr);
    SetTimerEnabled(false);
}

void MainWindow::SetUp() {
    closeRequestId_ = RegisterMessageName(companion::kCloseRequestMessageName);
    const int language = ReadInteger(kSettingsRoot, kSettingsKey, settings::kLanguage);
    const std::string programFolder = ExecutableFolder();
    Language() = LanguageTexts(programFolder + "\\" + LanguageFileName(language));

    trayMenu_.reset(CreatePopupMenu());
    AppendMenuText(trayMenu_.get(), MF_STRING, kLaunchItem, Text(texts::kTrayLaunch));
    recentSubmenu_ = CreatePopupMenu();  // the menu destroys it with itself
    AppendMenuText(trayMenu_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(recentSubmenu_),
                   Text(texts::kTrayRecentFindings));
    AppendMenuText(trayMenu_.get(), MF_SEPARATOR, 0, "");
    AppendMenuText(trayMenu_.get(), MF_STRING, kExitItem, Text(texts::kButtonsExit));

    Paths() = BuildPathSet(programFolder, QueryShellFolders());
    monitors_ = std::make_unique<MonitorGroups>(MonitorSlots(Paths()), [this](const MonitorSlot& slot) {
        return CreateWatch(slot, [this] { BrowserProfilesChanged(); });
    });
    junkCheck_ = CreateJunkCheck(Paths());
    // The walk ends on its own thread, which only wakes this one.
    junkCheck_->SetWalkEndedNotice([window = Handle()] { PostMessageW(window, kMsgJunkWalkEnded, 0, 0); });

    for (const FindingKindFacts& kind : kFindingKinds)
        if (!ValueExists(kSettingsRoot, kSettingsKey, kind.setting)) WriteBool(kSettingsRoot, kSettingsKey, kind.setting, true);
    if (!ValueExists(kSettingsRoot, kSettingsKey, settings::kLastCacheNotification))
        WriteFloat(kSettingsRoot, kSettingsKey, settings::kLastCacheNotification, Now());
    WriteDefaultIgnoreRulesWhereAbsent();
    StartFindingsHistory();
    // A notification's menu opens the findings window as the tray's does.
    NotificationWindow::MenuSeams().showAllFindings = [] { OpenFindingsWindow(); };
    LogFindingsToApplicationLog();

    // What is kept of places no slot watches any more (a browser profile
    // gone, a place an earlier version watched) goes.
    VigiloKeptListings().KeepOnly(KeptPlaceNames(Paths()));

    SetApplicationMessageFilter([this](const MSG& msg) {
        if (closeRequestId_ != 0 && msg.message == closeRequestId_ && msg.wParam == kCloseRequestParam) Close();
    });
    SetNotificationBusy(false);  // the group running flags start cleared with monitors_
    SetTimerEnabled(false);  // the ten-minute timer: 600000 ms, armed by StartMonitors
    PostMessageW(Handle(), kMsgStartMonitors, 0, 0);
}

// TrayIcon: the program icon with the tip "Purgeon", shown from now on;
// a click launches Purgeon, the right button opens the tray menu.
void MainWindow::CreateTrayIcon() {
    trayIcon_ = std::make_unique<TrayIcon>(Handle());
    trayIcon_->SetCycleInterval(0);
    trayIcon_->SetHint("Purgeon");
    // The notification area shows small icons: hand it the small image.
    UniqueIcon programIcon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VIGILO),
                                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    trayIcon_->SetIcon(programIcon.get());
    trayIcon_->SetIconVisible(true);
    trayIcon_->SetIconIndex(0);
    trayIcon_->SetPopupMenu(trayMenu_.get());
    trayIcon_->OnClick = [this] { LaunchCompanion(Handle()); };
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kMsgStartMonitors: {
            // A burst of restart requests (any process may post them) needs
            // one restart: each would start a dozen threads while the
            // replaced ones take a second to end.
            MSG queued;
            while (PeekMessageW(&queued, Handle(), kMsgStartMonitors, kMsgStartMonitors, PM_REMOVE)) {
            }
            RestartMonitors();
            return 0;
        }
        case kMsgJunkWalkEnded:
            JunkWalkEnded();
            return 0;
        case WM_TIMER:
            if (wp == kTenMinuteTimer) TenMinuteTimerEvent();
            return 0;
        case WM_SETTINGCHANGE:
            // Group Policy was applied: its settings are read again, as at a restart request.
            if (SettingChangeArea(lp) == "Policy") PostMessageW(Handle(), kMsgStartMonitors, 0, 0);
            return 0;
        case WM_INITMENUPOPUP:
            // Listed as the record is when the menu opens.
            if (reinterpret_cast<HMENU>(wp) == trayMenu_.get() || reinterpret_cast<HMENU>(wp) == recentSubmenu_)
                recentFindings_.Fill(recentSubmenu_, ReadFindings());
            return 0;
        case WM_COMMAND:
            if (HIWORD(wp) == 0 && LOWORD(wp) == kLaunchItem) LaunchCompanion(Handle());
            if (HIWORD(wp) == 0 && LOWORD(wp) == kExitItem) Close();
            if (HIWORD(wp) == 0) recentFindings_.Choose(LOWORD(wp));
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        default:
            // Loops that are not the program's own (the tray menu's, a message
            // box's) dispatch the close request without the message filter:
            // it still closes the program. Closing twice is harmless.
            if (msg == closeRequestId_ && closeRequestId_ != 0 && wp == kCloseRequestParam) {
                Close();
                return 0;
            }
            return Window::OnMessage(msg, wp, lp);
    }
}

void MainWindow::RestartMonitors() {
    const std::string error = StartMonitors();
    // A restart request that arrives while the box is up is served inside
    // the box's loop: it restarts, but shows no box within the box (a flood
    // of them would nest boxes until the stack ran out).
    if (!error.empty() && !ErrorBoxUp()) ShowErrorBox(error);
}

std::string MainWindow::StartMonitors() {
    // A group whose setting cannot be read stays stopped; nothing else does.
    std::string error = monitors_->Restart();
    // A restart watches the profiles there are now, as a start does.
    RescanBrowserProfiles(Paths());
    UpdateProfileSlots(*monitors_, Paths(), false);
    // The timer serves the places listed at every tick (startup places) as
    // well as the junk check: it runs unless both are off.
    const auto off = [&error](const char* setting) {
        try {
            return !NotifierOn(setting);
        } catch (const SettingsError& settingError) {
            if (error.empty()) error = settingError.what();
            return false;
        }
    };
    const bool cacheOff = off(settings::kCacheNotifier);
    const bool startupOff = off(settings::kStartupNotifier);
    SetTimerEnabled(!cacheOff || !startupOff);
    return error;
}

void MainWindow::BrowserProfilesChanged() {
    RescanBrowserProfiles(Paths());
    UpdateProfileSlots(*monitors_, Paths(), true);
}

void MainWindow::Close() {
    SetTimerEnabled(false);
    junkCheck_->Stop();  // a walk under way ends at its next entry
    // The tray menu's tracking loop does not end for the application's end:
    // an open menu would hold the program until the user dismissed it.
    EndMenu();
    TerminateApplication();  // closing the main window ends the application
}

void MainWindow::TenMinuteTimerEvent() {
    // The watches of the tasks and the services list their places on their own threads.
    DeliverTenMinuteTick();
    // Ticks while an error box is up are skipped, as ticks during a check
    // are: one box, not one more every ten minutes.
    if (ErrorBoxUp()) return;
    try {
        junkCheck_->Run();
    } catch (const SettingsError& error) {
        ShowErrorBox(error.what());
    }
}

void MainWindow::JunkWalkEnded() {
    // Handled even inside an error box's loop: the check must end.
    try {
        junkCheck_->WalkEnded();
    } catch (const SettingsError& error) {
        if (!ErrorBoxUp()) ShowErrorBox(error.what());
    }
}

void MainWindow::SetTimerEnabled(bool enabled) {
    if (enabled == timerEnabled_) return;  // re-enabling does not restart the interval
    timerEnabled_ = enabled;
    if (enabled)
        SetTimer(Handle(), kTenMinuteTimer, kTenMinuteInterval, nullptr);
    else
        KillTimer(Handle(), kTenMinuteTimer);
}

}  // namespace vigilo
