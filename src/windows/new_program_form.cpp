#include "windows/new_program_form.h"

#include "core/setting_names.h"
#include "windows/program_icon.h"

namespace vigilo {
namespace {
constexpr NotificationConstants kConstants{
    .frame = {"TForm2a", "New program notification", 400, 238},
    .background = IDB_NOTIFY_BACKGROUND_238,
    .kind = FindingKind::Program,
    .firstLabelTop = 54,  // Label1
    .linkParameters = "",
    .check1 = {16, 205},
    .check1Label = {36, 207},
};

using F = TForm2a;
namespace rows = frame_rows;
constexpr ControlSpec<F> kControls[] = {
    // name          member          left  top  width height font                  text or picture                flags
    rows::WndImage<F>(kConstants),
    rows::ActionLabel<F>(),
    {"ActionImage",  &F::ActionImage, 104,  48,    0,   0, nullptr,               BitmapRes(IDB_ATTENTION_MARK), kAutoSize},
    {"Label1",       &F::Label1,      144,  54,    0,  17, nullptr,               Lang(texts::kNewAppMessage1),  kAutoSize | kCenterV},
    // Under it, when the same round found more programs.
    {"MoreFoundLabel", &F::MoreFoundLabel, 144, 71, 0,  17, nullptr,               Lang(texts::kMoreFound),       kAutoSize | kCenterV | kHidden},
    {"PrgImage",     &F::PrgImage,     24,  94,   32,  32, nullptr,               {},                            0},
    {"Label2a",      &F::Label2a,      72,  88,    0,  20, &fonts::kProgramName,  {},                            kAutoSize | kCenterV},
    {"Label2b",      &F::Label2b,      72, 110,    0,  17, &kDefaultFont,         {},                            kAutoSize},
    // Who signed the program's file, under its publisher; the sentence and its link moved down to make room.
    {"SignerLabel",  &F::SignerLabel,  72, 127,    0,  17, &kDefaultFont,         {},                            kAutoSize | kHidden},
    {"Label3a",      &F::Label3a,      16, 144,  361,  34, nullptr,               Lang(texts::kNewAppMessage2),  kWordWrap | kBottom},
    rows::Link<F>("Label3b", &F::Label3b, 16, 182, Design("Purgeon"), &F::Label3bClick),
    rows::Check1Label<F>(kConstants, texts::kNewAppMessage3),
    rows::TopButton<F>(),
    rows::Check1<F>(kConstants, texts::kNewAppMessage3),
};
}  // namespace

TForm2a::TForm2a() : NotificationForm(kConstants) {
    Declare(this, kControls);
    Create();
}

void TForm2a::FillControls() {
    Label2a->SetText(ProgramName);
    Label2b->SetText(Publisher);
    SignerLabel->SetText(SignerLine);
    SignerLabel->SetVisible(!SignerLine.empty());
    MoreFoundLabel->SetText(WithNumber(Text(texts::kMoreFound), MoreFound));
    MoreFoundLabel->SetVisible(MoreFound > 0);
    PrgImage->SetIcon(FirstIcon(ProgramIconFile(IconPath), PrgImage->Width()), PrgImage->Width());
}

}  // namespace vigilo
