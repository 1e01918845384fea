#include "windows/startup_window.h"

#include "core/companion.h"
#include "core/finding_reporters.h"
#include "core/setting_names.h"
#include "core/window_classes.h"
#include "windows/program_icon.h"

namespace vigilo {
namespace {
constexpr NotificationConstants kConstants{
    .frame = {window_classes::kStartup, window_classes::kStartupTitle, 400, 238},
    .background = IDB_NOTIFY_BACKGROUND_238,
    .kind = FindingKind::Startup,
    .firstLabelTop = 48,  // EntryNameLabel
    .linkParameters = companion::kStartupArgument,
    .optOutCheckBox = {16, 205},
    .optOutLabel = {36, 207},
};

using F = StartupWindow;
namespace rows = frame_rows;

template <typename Row>
constexpr Row Hidden(Row row) {
    row.flags |= kHidden;
    return row;
}

// Lines of 17 pixels; under the entry's lines, who signed the file it starts
// (hidden when that says nothing), then how many more the round found.
constexpr ControlSpec<F> kControls[] = {
    // name             member             left  top  width height font                  text or picture                flags
    rows::BackgroundImage<F>(kConstants),
    rows::TitleLabel<F>(),
    {"PrgImage",        &F::PrgImage,        24,  50,   32,  32, nullptr,               {},                            0},
    {"EntryNameLabel",          &F::EntryNameLabel,          80,  48,    0,  20, &fonts::kProgramName,  {},                            kAutoSize | kCenterV},
    {"MessageLabel",          &F::MessageLabel,          80,  68,    0,  17, nullptr,               Lang(texts::kStartupMessage1), kAutoSize | kCenterV},
    {"SignerLabel",     &F::SignerLabel,     80,  85,    0,  17, nullptr,               {},                            kAutoSize | kCenterV | kHidden},
    {"MoreFoundLabel",  &F::MoreFoundLabel,  80, 102,    0,  17, nullptr,               Lang(texts::kMoreFound),       kAutoSize | kCenterV | kHidden},
    {"AdviceLabel",         &F::AdviceLabel,         16, 126,  361,  34, nullptr,               Lang(texts::kStartupMessage2), kWordWrap | kBottom},
    rows::Link<F>("LaunchLink", &F::LaunchLink, 104, 164, Lang(texts::kStartupMessage3), &F::LaunchLinkClick),
    Hidden(rows::Link<F>("DisableLink", &F::DisableLink, 104, 185, Lang(texts::kStartupDisable), &F::DisableLinkClick)),
    rows::OptOutLabel<F>(kConstants, texts::kStartupMessage4),
    rows::CloseButton<F>(),
    rows::MoreOptionsButton<F>(),
    rows::OptOutCheckBox<F>(kConstants, texts::kStartupMessage4),
};
}  // namespace

StartupWindow::StartupWindow() : NotificationWindow(kConstants) {
    Declare(this, kControls);
    Create();
}

void StartupWindow::FillControls() {
    EntryNameLabel->SetText(ProgramName);
    if (EntryChanged) MessageLabel->SetText(Text(texts::kStartupChangedMessage));
    if (Shown.event == FindingEvent::TurnedBackOn) MessageLabel->SetText(Text(texts::kStartupReenabled));
    // A startup entry names a command, not an installed program: always the installer's icon.
    PrgImage->SetIcon(FirstIcon(ProgramIconFile(""), PrgImage->Width()), PrgImage->Width());

    SignerLabel->SetText(SignerLine);
    SignerLabel->SetVisible(!SignerLine.empty());
    MoreFoundLabel->SetText(WithNumber(Text(texts::kMoreFound), MoreFound));
    MoreFoundLabel->SetVisible(MoreFound > 0);

    // An entry the user disabled before (in Task Manager, say) offers to be enabled again.
    const bool offered = ApprovedTarget && Approval.Offered(*ApprovedTarget);
    disabled_ = offered && Approval.Disabled(*ApprovedTarget);
    ShowDisableLinkText();
    DisableLink->SetVisible(offered);
}

void StartupWindow::DisableLinkClick() {
    if (!ApprovedTarget) return;
    // A value that could not be written leaves the link as it was; no error is shown.
    if (disabled_ ? Approval.Enable(*ApprovedTarget) : Approval.Disable(*ApprovedTarget)) {
        disabled_ = !disabled_;
        ReportUserAction(Shown, disabled_ ? UserAction::Disabled : UserAction::Enabled);
    }
    ShowDisableLinkText();
    if (OnUserActed) OnUserActed();
}

void StartupWindow::ShowDisableLinkText() {
    DisableLink->SetText(Text(disabled_ ? texts::kStartupEnable : texts::kStartupDisable));
}

}  // namespace vigilo
