#include "windows/new_program_window.h"

#include "core/setting_names.h"
#include "core/window_classes.h"
#include "windows/program_icon.h"

namespace vigilo {
namespace {
constexpr NotificationConstants kConstants{
    .frame = {window_classes::kNewProgram, window_classes::kNewProgramTitle, 400, 238},
    .background = IDB_NOTIFY_BACKGROUND_238,
    .kind = FindingKind::Program,
    .firstLabelTop = 54,  // MessageLabel
    .linkParameters = "",
    .optOutCheckBox = {16, 205},
    .optOutLabel = {36, 207},
};

using F = NewProgramWindow;
namespace rows = frame_rows;
constexpr ControlSpec<F> kControls[] = {
    // name          member          left  top  width height font                  text or picture                flags
    rows::BackgroundImage<F>(kConstants),
    rows::TitleLabel<F>(),
    {"ActionImage",  &F::ActionImage, 104,  48,    0,   0, nullptr,               BitmapRes(IDB_ATTENTION_MARK), kAutoSize},
    {"MessageLabel",       &F::MessageLabel,      144,  54,    0,  17, nullptr,               Lang(texts::kNewAppMessage1),  kAutoSize | kCenterV},
    // Under it, when the same round found more programs.
    {"MoreFoundLabel", &F::MoreFoundLabel, 144, 71, 0,  17, nullptr,               Lang(texts::kMoreFound),       kAutoSize | kCenterV | kHidden},
    {"PrgImage",     &F::PrgImage,     24,  94,   32,  32, nullptr,               {},                            0},
    {"ProgramNameLabel",      &F::ProgramNameLabel,      72,  88,    0,  20, &fonts::kProgramName,  {},                            kAutoSize | kCenterV},
    {"PublisherLabel",      &F::PublisherLabel,      72, 110,    0,  17, &kDefaultFont,         {},                            kAutoSize},
    // Who signed the program's file, under its publisher; the sentence and its link moved down to make room.
    {"SignerLabel",  &F::SignerLabel,  72, 127,    0,  17, &kDefaultFont,         {},                            kAutoSize | kHidden},
    {"AdviceLabel",      &F::AdviceLabel,      16, 144,  361,  34, nullptr,               Lang(texts::kNewAppMessage2),  kWordWrap | kBottom},
    rows::Link<F>("LaunchLink", &F::LaunchLink, 16, 182, Design("Purgeon"), &F::LaunchLinkClick),
    rows::OptOutLabel<F>(kConstants, texts::kNewAppMessage3),
    rows::CloseButton<F>(),
    rows::MoreOptionsButton<F>(),
    rows::OptOutCheckBox<F>(kConstants, texts::kNewAppMessage3),
};
}  // namespace

NewProgramWindow::NewProgramWindow() : NotificationWindow(kConstants) {
    Declare(this, kControls);
    Create();
}

void NewProgramWindow::FillControls() {
    ProgramNameLabel->SetText(ProgramName);
    PublisherLabel->SetText(Publisher);
    SignerLabel->SetText(SignerLine);
    SignerLabel->SetVisible(!SignerLine.empty());
    MoreFoundLabel->SetText(WithNumber(Text(texts::kMoreFound), MoreFound));
    MoreFoundLabel->SetVisible(MoreFound > 0);
    PrgImage->SetIcon(FirstIcon(ProgramIconFile(IconPath), PrgImage->Width()), PrgImage->Width());
}

}  // namespace vigilo
