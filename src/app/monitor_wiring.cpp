#include "app/monitor_wiring.h"

#include <algorithm>

#include "core/browser_names.h"
#include "core/findings_record.h"
#include "monitors/app_mon_thread.h"
#include "monitors/ff_ext_mon_thread.h"
#include "monitors/forced_extension_mon_thread.h"
#include "monitors/ie_ext_mon_thread.h"
#include "monitors/profile_discovery_thread.h"
#include "monitors/service_mon_thread.h"
#include "monitors/startup_folder_mon_thread.h"
#include "monitors/startup_mon_thread.h"
#include "platform/file_system.h"
#include "platform/registry_views.h"
#include "windows/extension_form.h"
#include "windows/finding_presentation.h"
#include "windows/junk_form.h"
#include "windows/new_program_form.h"
#include "windows/notification_shapes.h"
#include "windows/startup_form.h"

namespace vigilo {
namespace {

// The machine-wide keys under which Internet Explorer's add-ons register.
constexpr const char* kIeExtensions = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
constexpr const char* kIeHelperObjects =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
constexpr const char* kIeExplorerBars = "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\";

// Where programs are made to start by policy, of the user and of the machine.
constexpr const char* kPolicyRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
// The services and drivers Windows knows; a new subkey is a new service.
constexpr const char* kServices = "SYSTEM\\CurrentControlSet\\Services\\";

// The browsers' lists of extensions forced in by policy.
struct ForcedExtensionList {
    const char* key;
    const char* browserName;
};
constexpr ForcedExtensionList kForcedExtensionLists[] = {
    {"SOFTWARE\\Policies\\Google\\Chrome\\ExtensionInstallForcelist", browsers::kChrome},
    {"SOFTWARE\\Policies\\Microsoft\\Edge\\ExtensionInstallForcelist", browsers::kEdge},
    {"SOFTWARE\\Policies\\BraveSoftware\\Brave\\ExtensionInstallForcelist", browsers::kBrave},
    {"SOFTWARE\\Policies\\Mozilla\\Firefox\\Extensions\\Install", browsers::kFirefox},
};

// Each finding is recorded and shown through PresentFinding; its window's
// data is copied, as the window may show after the monitor has moved on.
void ShowNewProgram(const TAppMonThread& monitor) {
    PresentFinding({FindingKind::Program, monitor.ProgramName},
                   [name = monitor.ProgramName, publisher = monitor.Publisher, icon = monitor.IconPath] {
                       return ShowModalNotification<TForm2a>([&](TForm2a& form) {
                           form.ProgramName = name;
                           form.Publisher = publisher;
                           form.IconPath = icon;
                       });
                   });
}

void ShowStartupEntry(const std::string& programName) {
    PresentFinding({FindingKind::Startup, programName}, [programName] {
        return ShowTimedNotification<TForm2c>([&](TForm2c& form) { form.ProgramName = programName; });
    });
}

void ShowExtension(const std::string& browserName, const std::string& foundName) {
    PresentFinding({FindingKind::Extension, browserName + ": " + foundName}, [browserName] {
        return ShowTimedNotification<TForm2b>([&](TForm2b& form) { form.BrowserName = browserName; });
    });
}

bool ShowJunk(std::int64_t junkSize) {
    return ShowTimedNotification<TForm2d>([&](TForm2d& form) { form.JunkSize = junkSize; });
}

Presentation ReportJunk(std::int64_t junkSize, const std::function<bool()>& show, bool recordUnlessShown) {
    return PresentFinding({FindingKind::Junk, JunkAmountText(junkSize, DecimalSeparator())}, show, recordUnlessShown);
}

}  // namespace

std::unique_ptr<JunkCheck> CreateJunkCheck(const PathSet& paths) {
    // The profiles there are at each tick, whatever the watches have seen.
    return std::make_unique<JunkCheck>([&paths] { return JunkFoldersNow(paths); }, &ShowJunk, &ReportJunk);
}

std::unique_ptr<ScheduledTaskCheck> CreateScheduledTaskCheck() {
    // One window a tick, for the newest; the record keeps them all.
    const auto report = [](const std::vector<std::string>& taskNames) {
        for (size_t i = 0; i + 1 < taskNames.size(); ++i) AddFinding({FindingKind::Startup, taskNames[i]});
        if (!taskNames.empty()) ShowStartupEntry(taskNames.back());
    };
    return std::make_unique<ScheduledTaskCheck>(report, ListScheduledTasks, &VigiloKeptListings());
}

std::unique_ptr<TThread> CreateNewProgramMonitor(const MonitorSlot& slot) {
    auto monitor = NewRegistryMonitor<TAppMonThread>(slot);
    if (monitor) monitor->OnFound = &ShowNewProgram;
    return monitor;
}

std::unique_ptr<TThread> CreateStartupMonitor(const MonitorSlot& slot) {
    auto monitor = NewRegistryMonitor<TStartupMonThread>(slot);
    if (monitor)
        monitor->OnFound = [](const TStartupMonThread& found) {
            if (found.CameDuringHandOff)
                AddFinding({FindingKind::Startup, found.ProgramName});
            else
                ShowStartupEntry(found.ProgramName);
        };
    return monitor;
}

std::unique_ptr<TThread> CreateStartupFolderMonitor(const MonitorSlot& slot) {
    auto monitor = NewFolderMonitor<TStartupFolderMonThread>(slot);
    if (monitor) monitor->OnFound = [](const TStartupFolderMonThread& found) { ShowStartupEntry(found.ProgramName); };
    return monitor;
}

std::unique_ptr<TThread> CreateServiceMonitor(const MonitorSlot& slot) {
    auto monitor = NewRegistryMonitor<TServiceMonThread>(slot);
    if (monitor) monitor->OnFound = [](const TServiceMonThread& found) { ShowStartupEntry(found.ProgramName); };
    return monitor;
}

std::unique_ptr<TThread> CreateForcedExtensionMonitor(const MonitorSlot& slot) {
    auto monitor = NewRegistryMonitor<TForcedExtMonThread>(slot);
    if (!monitor) return nullptr;
    monitor->Browser = slot.browserName;
    monitor->OnFound = [](const TForcedExtMonThread& found) { ShowExtension(found.Browser, found.ExtensionId); };
    return monitor;
}

std::unique_ptr<TThread> CreateInternetExplorerMonitor(const MonitorSlot& slot) {
    auto monitor = NewRegistryMonitor<TIEExtMonThread>(slot);
    if (monitor)
        monitor->OnFound = [](const TIEExtMonThread& found) {
            ShowExtension(browsers::kInternetExplorer, found.AddedName);
        };
    return monitor;
}

std::unique_ptr<TThread> CreateExtensionFolderMonitor(const MonitorSlot& slot) {
    auto monitor = NewFolderMonitor<TFFExtMonThread>(slot);
    if (!monitor) return nullptr;
    monitor->Browser = slot.browserName;
    monitor->OnFound = [](const TFFExtMonThread& found) { ShowExtension(found.BrowserName(), found.NewEntry); };
    return monitor;
}

std::unique_ptr<TThread> CreateProfileDiscovery(const MonitorSlot& slot, DWORD filter) {
    auto watch = std::make_unique<TProfileDiscoveryThread>(filter);
    if (!watch->CreateSuspended()) return nullptr;
    watch->WatchFolder = slot.keyOrFolder;
    watch->OnChanged = slot.onChanged;
    return watch;
}

std::unique_ptr<TThread> CreateProfileFoldersWatch(const MonitorSlot& slot) {
    return CreateProfileDiscovery(slot, TProfileDiscoveryThread::kProfileFolders);
}

std::unique_ptr<TThread> CreateProfileListWatch(const MonitorSlot& slot) {
    return CreateProfileDiscovery(slot, TProfileDiscoveryThread::kProfileList);
}

namespace {

bool WatchesFolder(const std::vector<MonitorSlot>& slots, const std::string& folder) {
    return std::any_of(slots.begin(), slots.end(),
                       [&](const MonitorSlot& slot) { return !slot.root && SameFolder(slot.keyOrFolder, folder); });
}

// The extensions folders of every browser profile of paths beyond the two
// of the path set, each naming its browser; a folder already watched is not
// watched twice.
void AddBrowserProfileSlots(const PathSet& paths, std::vector<MonitorSlot>& slots) {
    auto add = [&](const std::string& folder, const std::string& browserName) {
        if (WatchesFolder(slots, folder)) return;
        slots.push_back({MonitorGroup::Extension, nullptr, folder, &CreateExtensionFolderMonitor,
                         RegistryView::k64Bit, browserName, true});
    };
    for (const FirefoxProfile& profile : paths.firefoxProfiles) add(profile.folder + "extensions\\", browsers::kFirefox);
    for (const BrowserProfile& profile : paths.chromiumProfiles)
        add(profile.folder + "Extensions\\", profile.browserName);
}

// The machine's key at path in the 64-bit view, and in the 32-bit view too
// unless both views reach the same key (Wine shares the policy keys between
// them, and Windows shares some): one value is never reported twice.
void AddMachineKeySlots(MonitorGroup group, const std::string& path, MonitorFactory create,
                        const std::string& browserName, std::vector<MonitorSlot>& slots) {
    slots.push_back({group, HKEY_LOCAL_MACHINE, path, create, RegistryView::k64Bit, browserName});
    if (!SameKeyInBothViews(HKEY_LOCAL_MACHINE, path))
        slots.push_back({group, HKEY_LOCAL_MACHINE, path, create, RegistryView::k32Bit, browserName});
}

// Where programs are made to start, or extensions forced in, by policy; and
// the services, which are one list in both views.
void AddPolicyAndServiceSlots(std::vector<MonitorSlot>& slots) {
    slots.push_back({MonitorGroup::Startup, HKEY_CURRENT_USER, kPolicyRun, &CreateStartupMonitor});
    AddMachineKeySlots(MonitorGroup::Startup, kPolicyRun, &CreateStartupMonitor, "", slots);
    slots.push_back({MonitorGroup::Startup, HKEY_LOCAL_MACHINE, kServices, &CreateServiceMonitor});
    for (const ForcedExtensionList& list : kForcedExtensionLists) {
        slots.push_back({MonitorGroup::Extension, HKEY_CURRENT_USER, list.key, &CreateForcedExtensionMonitor,
                         RegistryView::k64Bit, list.browserName});
        AddMachineKeySlots(MonitorGroup::Extension, list.key, &CreateForcedExtensionMonitor, list.browserName, slots);
    }
}

// The watches of where profiles come and go: each Chromium browser's "User
// Data" folder and Firefox's folder, installed or not.
void AddProfileDiscoverySlots(const PathSet& paths, const std::function<void()>& profilesChanged,
                              std::vector<MonitorSlot>& slots) {
    if (!profilesChanged) return;
    auto add = [&](const std::string& folder, MonitorFactory create) {
        MonitorSlot slot{MonitorGroup::Extension, nullptr, folder, create};
        slot.onChanged = profilesChanged;
        slots.push_back(std::move(slot));
    };
    if (!paths.localAppDataFolder.empty())
        for (const std::string& userData : ChromiumUserDataFolders(WithTrailingBackslash(paths.localAppDataFolder)))
            add(userData, &CreateProfileFoldersWatch);
    if (!paths.firefoxFolder.empty()) add(paths.firefoxFolder, &CreateProfileListWatch);
}

}  // namespace

void UpdateProfileSlots(MonitorGroups& groups, const PathSet& paths, bool whileRunning) {
    // The slots that stay, then the profiles' in the order a start gives them.
    std::vector<MonitorSlot> wanted;
    for (const MonitorSlot& slot : groups.Slots())
        if (!slot.fromProfileScan) wanted.push_back(slot);
    const size_t kept = wanted.size();
    AddBrowserProfileSlots(paths, wanted);
    const std::vector<MonitorSlot> profiles(wanted.begin() + static_cast<std::ptrdiff_t>(kept), wanted.end());
    groups.RemoveSlots([&](const MonitorSlot& slot) {
        return slot.fromProfileScan && !WatchesFolder(profiles, slot.keyOrFolder);
    });
    for (MonitorSlot slot : profiles) {
        slot.foundWhileRunning = whileRunning;
        if (!WatchesFolder(groups.Slots(), slot.keyOrFolder)) groups.AddSlot(std::move(slot));
    }
}

std::vector<MonitorSlot> MonitorSlots(const PathSet& paths, const std::function<void()>& profilesChanged) {
    using G = MonitorGroup;
    const HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
    const MonitorFactory newProgram = &CreateNewProgramMonitor, startup = &CreateStartupMonitor;
    const MonitorFactory startupFolder = &CreateStartupFolderMonitor;
    const MonitorFactory internetExplorer = &CreateInternetExplorerMonitor, folder = &CreateExtensionFolderMonitor;
    const RegistryView view64 = RegistryView::k64Bit, view32 = RegistryView::k32Bit;
    std::vector<MonitorSlot> slots{
        {G::Startup, cu, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", startup},
        {G::Startup, cu, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", startup},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", startup},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", startup},
        // On 64-bit Windows the machine's Run keys exist once per view: a
        // 32-bit installer's entries land in the 32-bit one. The user's keys
        // are shared by both views.
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", startup, view32},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", startup, view32},
        {G::NewProgram, cu, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        {G::NewProgram, lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        {G::NewProgram, lm, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", newProgram},
        // Internet Explorer's add-on keys and the class registrations behind
        // them are split the same way: 32-bit add-ons register in the 32-bit
        // view, 64-bit ones in the 64-bit view.
        {G::Extension, lm, kIeExtensions, internetExplorer, view64},
        {G::Extension, lm, kIeHelperObjects, internetExplorer, view64},
        {G::Extension, lm, kIeExplorerBars, internetExplorer, view64},
        {G::Extension, lm, kIeExtensions, internetExplorer, view32},
        {G::Extension, lm, kIeHelperObjects, internetExplorer, view32},
        {G::Extension, lm, kIeExplorerBars, internetExplorer, view32},
        {G::Extension, nullptr, paths.firefoxExtensionsFolder, folder},
        {G::Extension, nullptr, paths.chromeExtensionsFolder, folder},
        // The shell starts the entries of these folders at log-on, as it does the Run keys' values.
        {G::Startup, nullptr, paths.userStartupFolder, startupFolder},
    };
    // Where the two are one folder, one watch reports each entry once.
    if (!SameFolder(paths.commonStartupFolder, paths.userStartupFolder))
        slots.push_back({G::Startup, nullptr, paths.commonStartupFolder, startupFolder});
    AddPolicyAndServiceSlots(slots);
    AddBrowserProfileSlots(paths, slots);
    AddProfileDiscoverySlots(paths, profilesChanged, slots);
    // A folder the shell did not give is no folder: never watched (an empty
    // path would be the current folder).
    std::erase_if(slots, [](const MonitorSlot& slot) { return !slot.root && slot.keyOrFolder.empty(); });
    return slots;
}

}  // namespace vigilo
