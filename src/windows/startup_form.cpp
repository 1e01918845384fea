#include "windows/startup_form.h"

#include "core/companion.h"
#include "core/setting_names.h"
#include "windows/program_icon.h"

namespace vigilo {
namespace {
constexpr NotificationConstants kConstants{
    .frame = {"TForm2c", "Startup notification", 400, 238},
    .background = IDB_NOTIFY_BACKGROUND_238,
    .setting = settings::kStartupNotifier,
    .firstLabelTop = 56,  // Label1
    .linkParameters = companion::kStartupArgument,
    .check1 = {16, 205},
    .check1Label = {36, 207},
};

using F = TForm2c;
namespace rows = frame_rows;
constexpr ControlSpec<F> kControls[] = {
    // name          member        left  top  width height font                  text or picture                flags
    rows::WndImage<F>(kConstants),
    rows::ActionLabel<F>(),
    {"PrgImage",     &F::PrgImage,   24,  62,   32,  32, nullptr,               {},                            0},
    {"Label1",       &F::Label1,     80,  56,    0,  20, &fonts::kProgramName,  {},                            kAutoSize | kCenterV},
    {"Label2",       &F::Label2,     80,  78,    0,  17, nullptr,               Lang(texts::kStartupMessage1), kAutoSize | kCenterV},
    {"Label3a",      &F::Label3a,    16, 118,  361,  34, nullptr,               Lang(texts::kStartupMessage2), kWordWrap | kBottom},
    rows::Link<F>("Label3b", &F::Label3b, 104, 172, Lang(texts::kStartupMessage3), &F::Label3bClick),
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
    // A startup entry names a command, not an installed program: always the installer's icon.
    PrgImage->SetIcon(FirstIcon(ProgramIconFile(""), PrgImage->Width()));
}

}  // namespace vigilo
