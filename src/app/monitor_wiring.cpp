#include "app/monitor_wiring.h"

#include "core/browser_names.h"
#include "monitors/app_mon_thread.h"
#include "monitors/ff_ext_mon_thread.h"
#include "monitors/ie_ext_mon_thread.h"
#include "windows/extension_form.h"
#include "windows/new_program_form.h"
#include "windows/notification_shapes.h"

namespace vigilo {
namespace {

// The machine-wide keys under which Internet Explorer's add-ons register.
constexpr const char* kIeExtensions = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
constexpr const char* kIeHelperObjects =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
constexpr const char* kIeExplorerBars = "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\";

void ShowNewProgram(const TAppMonThread& monitor) {
    ShowModalNotification<TForm2a>([&](TForm2a& form) {
        form.ProgramName = monitor.ProgramName;
        form.Publisher = monitor.Publisher;
        form.IconPath = monitor.IconPath;
    });
}

void ShowExtension(const std::string& browserName) {
    ShowTimedNotification<TForm2b>([&](TForm2b& form) { form.BrowserName = browserName; });
}

}  // namespace

std::unique_ptr<TThread> CreateNewProgramMonitor(const MonitorSlot& slot) {
    auto monitor = NewRegistryMonitor<TAppMonThread>(slot);
    if (monitor) monitor->OnFound = &ShowNewProgram;
    return monitor;
}

std::unique_ptr<TThread> CreateInternetExplorerMonitor(const MonitorSlot& slot) {
    auto monitor = NewRegistryMonitor<TIEExtMonThread>(slot);
    if (monitor) monitor->OnFound = [](const TIEExtMonThread&) { ShowExtension(browsers::kInternetExplorer); };
    return monitor;
}

std::unique_ptr<TThread> CreateExtensionFolderMonitor(const MonitorSlot& slot) {
    auto monitor = std::make_unique<TFFExtMonThread>();
    if (!monitor->CreateSuspended()) return nullptr;
    monitor->WatchFolder = slot.keyOrFolder;
    monitor->Snapshot.clear();
    monitor->OnFound = [](const TFFExtMonThread& found) { ShowExtension(found.BrowserName()); };
    return monitor;
}

std::vector<MonitorSlot> MonitorSlots(const PathSet& paths) {
    using G = MonitorGroup;
    const HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
    const MonitorFactory startup = nullptr;
    const MonitorFactory newProgram = &CreateNewProgramMonitor;
    const MonitorFactory internetExplorer = &CreateInternetExplorerMonitor, folder = &CreateExtensionFolderMonitor;
    // A 32-bit add-on of Internet Explorer registers in the 32-bit view, a
    // 64-bit one in the 64-bit view: each key is watched in both.
    const RegistryView v64 = RegistryView::k64Bit, v32 = RegistryView::k32Bit;
    return {
        {G::Startup, cu, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", startup},
        {G::Startup, cu, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", startup},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", startup},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", startup},
        {G::NewProgram, cu, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        {G::NewProgram, lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        {G::NewProgram, lm, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        {G::Extension, lm, kIeExtensions, internetExplorer, v64},
        {G::Extension, lm, kIeHelperObjects, internetExplorer, v64},
        {G::Extension, lm, kIeExplorerBars, internetExplorer, v64},
        {G::Extension, lm, kIeExtensions, internetExplorer, v32},
        {G::Extension, lm, kIeHelperObjects, internetExplorer, v32},
        {G::Extension, lm, kIeExplorerBars, internetExplorer, v32},
        {G::Extension, nullptr, paths.firefoxExtensionsFolder, folder},
        {G::Extension, nullptr, paths.chromeExtensionsFolder, folder},
    };
}

}  // namespace vigilo
