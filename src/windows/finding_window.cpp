#include "windows/finding_window.h"

#include "windows/extension_window.h"
#include "windows/junk_window.h"
#include "windows/new_program_window.h"
#include "windows/notification_host.h"
#include "windows/startup_window.h"

namespace vigilo {

SharedEvent ShowFindingWindow(const Finding& finding, size_t more) {
    const int others = static_cast<int>(more);
    // Every window keeps its finding for its menu, and opening the menu or acting gives it its time again.
    const auto common = [&](NotificationWindow& form) {
        form.Shown = finding;
        form.OnUserActed = &RestartNotificationTime;
    };
    switch (finding.kind) {
    case FindingKind::Program:
        return ShowNotification<NewProgramWindow>(
            [&](NewProgramWindow& form) {
                common(form);
                form.ProgramName = finding.name;
                form.Publisher = finding.publisher;
                form.IconPath = finding.iconPath;
                form.SignerLine = finding.signerLine;
                form.MoreFound = others;
            },
            NotificationLife::UntilClosed);
    case FindingKind::Extension:
        return ShowNotification<ExtensionWindow>(
            [&](ExtensionWindow& form) {
                common(form);
                form.BrowserName = finding.browser;
                form.MoreFound = others;
            },
            NotificationLife::Timed);
    case FindingKind::Startup:
        return ShowNotification<StartupWindow>(
            [&](StartupWindow& form) {
                common(form);
                form.ProgramName = finding.name;
                form.EntryChanged = finding.event == FindingEvent::Changed;
                form.ApprovedTarget = finding.approved;
                form.SignerLine = finding.signerLine;
                form.MoreFound = others;
            },
            NotificationLife::Timed);
    case FindingKind::Junk:
        return ShowNotification<JunkWindow>(
            [&](JunkWindow& form) {
                common(form);
                form.JunkSize = finding.bytes;
            },
            NotificationLife::Timed);
    }
    return {};
}

}  // namespace vigilo
