#include "windows/startup_form.h"

#include "app/companion.h"
#include "windows/new_program_form.h"

namespace vigilo {
namespace {
constexpr NotificationConstants kConstants{
    .frame = {"TForm2c", "Startup notification", 400, 238},
    .background = IDB_NOTIFY_BACKGROUND_238,
    .setting = "StartupNotifier",
    .firstLabelTop = 56,  // Label1
    .linkParameters = companion::kStartupArgument,
    .check1 = {16, 205},
    .check1Label = {36, 207},
};

using K = ControlKind;
using F = TForm2c;
namespace rows = frame_rows;
constexpr ControlSpec<F> kControls[] = {
    // name          kind      left  top  width height font                  text or picture                flags
    rows::WndImage<F>(kConstants),
    rows::ActionLabel<F>(),
    {"PrgImage",     K::Image,   24,  62,   32,  32, nullptr,               {},                            0},
    {"Label1",       K::Label,   80,  56,    0,  20, &fonts::kProgramName,  {},                            kAutoSize | kCenterV},
    {"Label2",       K::Label,   80,  78,    0,  17, nullptr,               Lang(texts::kStartupMessage1), kAutoSize | kCenterV},
    {"Label3a",      K::Label,   16, 118,  361,  34, nullptr,               Lang(texts::kStartupMessage2), kWordWrap | kBottom},
    rows::Link<F>("Label3b", 104, 172, Lang(texts::kStartupMessage3), &F::Label3bClick),
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
    FindLabel("Label1")->SetText(ProgramName);
    // A startup entry names a command, not an installed program: always the installer's icon.
    FindImage("PrgImage")->SetIcon(FirstIcon(ProgramIconFile("")));
}

}  // namespace vigilo
