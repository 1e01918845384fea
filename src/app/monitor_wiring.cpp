#include "app/monitor_wiring.h"

#include "monitors/app_mon_thread.h"
#include "windows/new_program_form.h"
#include "windows/notification_shapes.h"

namespace vigilo {
namespace {

void ShowNewProgram(const TAppMonThread& monitor) {
    ShowModalNotification<TForm2a>([&](TForm2a& form) {
        form.ProgramName = monitor.ProgramName;
        form.Publisher = monitor.Publisher;
        form.IconPath = monitor.IconPath;
    });
}

}  // namespace

std::unique_ptr<TThread> CreateNewProgramMonitor(const MonitorSlot& slot) {
    auto monitor = NewRegistryMonitor<TAppMonThread>(slot);
    if (monitor) monitor->OnFound = &ShowNewProgram;
    return monitor;
}

std::vector<MonitorSlot> MonitorSlots(const PathSet& paths) {
    using G = MonitorGroup;
    const HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
    const MonitorFactory startup = nullptr, internetExplorer = nullptr, folder = nullptr;
    const MonitorFactory newProgram = &CreateNewProgramMonitor;
    return {
        {G::Startup, cu, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", startup},
        {G::Startup, cu, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", startup},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", startup},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", startup},
        {G::NewProgram, cu, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        {G::NewProgram, lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        {G::NewProgram, lm, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        {G::Extension, lm, "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\", internetExplorer},
        {G::Extension, lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\",
         internetExplorer},
        {G::Extension, lm, "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\", internetExplorer},
        {G::Extension, nullptr, paths.firefoxExtensionsFolder, folder},
        {G::Extension, nullptr, paths.chromeExtensionsFolder, folder},
    };
}

}  // namespace vigilo
