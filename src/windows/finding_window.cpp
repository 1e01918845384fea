#include "windows/finding_window.h"

#include "windows/extension_form.h"
#include "windows/junk_form.h"
#include "windows/new_program_form.h"
#include "windows/notification_host.h"
#include "windows/startup_form.h"

namespace vigilo {

SharedEvent ShowFindingWindow(const Finding& finding, size_t more) {
    const int others = static_cast<int>(more);
    switch (finding.kind) {
    case FindingKind::Program:
        return ShowNotification<TForm2a>(
            [&](TForm2a& form) {
                form.ProgramName = finding.name;
                form.Publisher = finding.publisher;
                form.IconPath = finding.iconPath;
                form.SignerLine = finding.signerLine;
                form.MoreFound = others;
            },
            NotificationLife::UntilClosed);
    case FindingKind::Extension:
        return ShowNotification<TForm2b>(
            [&](TForm2b& form) {
                form.BrowserName = finding.browser;
                form.MoreFound = others;
            },
            NotificationLife::Timed);
    case FindingKind::Startup:
        return ShowNotification<TForm2c>(
            [&](TForm2c& form) {
                form.Shown = finding;
                form.ProgramName = finding.name;
                form.EntryChanged = finding.event == FindingEvent::Changed;
                form.ApprovedTarget = finding.approved;
                form.SignerLine = finding.signerLine;
                form.MoreFound = others;
                // Disabling or enabling it gives the user its time again.
                form.OnUserActed = &RestartNotificationTime;
            },
            NotificationLife::Timed);
    case FindingKind::Junk:
        return ShowNotification<TForm2d>([&](TForm2d& form) { form.JunkSize = finding.bytes; }, NotificationLife::Timed);
    }
    return {};
}

}  // namespace vigilo
