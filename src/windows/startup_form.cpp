#include "windows/startup_form.h"

#include "core/companion.h"
#include "core/finding_reporters.h"
#include "core/setting_names.h"
#include "windows/program_icon.h"

namespace vigilo {
namespace {
constexpr NotificationConstants kConstants{
    .frame = {"TForm2c", "Startup notification", 400, 238},
    .background = IDB_NOTIFY_BACKGROUND_238,
    .kind = FindingKind::Startup,
    .firstLabelTop = 48,  // Label1
    .linkParameters = companion::kStartupArgument,
    .check1 = {16, 205},
    .check1Label = {36, 207},
};

using F = TForm2c;
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
    rows::WndImage<F>(kConstants),
    rows::ActionLabel<F>(),
    {"PrgImage",        &F::PrgImage,        24,  50,   32,  32, nullptr,               {},                            0},
    {"Label1",          &F::Label1,          80,  48,    0,  20, &fonts::kProgramName,  {},                            kAutoSize | kCenterV},
    {"Label2",          &F::Label2,          80,  68,    0,  17, nullptr,               Lang(texts::kStartupMessage1), kAutoSize | kCenterV},
    {"SignerLabel",     &F::SignerLabel,     80,  85,    0,  17, nullptr,               {},                            kAutoSize | kCenterV | kHidden},
    {"MoreFoundLabel",  &F::MoreFoundLabel,  80, 102,    0,  17, nullptr,               Lang(texts::kMoreFound),       kAutoSize | kCenterV | kHidden},
    {"Label3a",         &F::Label3a,         16, 126,  361,  34, nullptr,               Lang(texts::kStartupMessage2), kWordWrap | kBottom},
    rows::Link<F>("Label3b", &F::Label3b, 104, 164, Lang(texts::kStartupMessage3), &F::Label3bClick),
    Hidden(rows::Link<F>("DisableLink", &F::DisableLink, 104, 185, Lang(texts::kStartupDisable), &F::DisableLinkClick)),
    rows::Check1Label<F>(kConstants, texts::kStartupMessage4),
    rows::TopButton<F>(),
    rows::Check1<F>(kConstants, texts::kStartupMessage4),
};
}  // namespace

TForm2c::TForm2c() : NotificationForm(kConstants) {
    Declare(this, kControls);
    Create();
}

void TForm2c::FillControls() {
    Label1->SetText(ProgramName);
    if (EntryChanged) Label2->SetText(Text(texts::kStartupChangedMessage));
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

void TForm2c::DisableLinkClick() {
    if (!ApprovedTarget) return;
    // A value that could not be written leaves the link as it was; no error is shown.
    if (disabled_ ? Approval.Enable(*ApprovedTarget) : Approval.Disable(*ApprovedTarget)) {
        disabled_ = !disabled_;
        ReportUserAction(Shown, disabled_ ? UserAction::Disabled : UserAction::Enabled);
    }
    ShowDisableLinkText();
    if (OnUserActed) OnUserActed();
}

void TForm2c::ShowDisableLinkText() {
    DisableLink->SetText(Text(disabled_ ? texts::kStartupEnable : texts::kStartupDisable));
}

}  // namespace vigilo
