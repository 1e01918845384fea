#include "monitors/watch_kinds.h"

#include "core/browser_names.h"
#include "monitors/autostart_rules.h"
#include "monitors/finding_rules.h"
#include "monitors/scheduled_tasks.h"
#include "monitors/service_state.h"
#include "monitors/turned_back_on.h"
#include "platform/file_system.h"
#include "platform/registry_views.h"

namespace vigilo {
namespace {

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_LOCAL_MACHINE;
constexpr RegistryView k64 = RegistryView::k64Bit;
constexpr RegistryView k32 = RegistryView::k32Bit;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kPolicyRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
// Windows runs these at the log-on of a terminal server's user, as the Run keys.
constexpr const char* kTerminalServerRun =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kTerminalServerRunOnce =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kRunOnceEx = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
// Windows' old load places (the user's) and AppInit_DLLs (the machine's) share this path.
constexpr const char* kWindowsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kImageFileExecutionOptions =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
constexpr const char* kSilentProcessExit = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit";
constexpr const char* kActiveSetup = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components";
constexpr const char* kCommandProcessor = "Software\\Microsoft\\Command Processor";
constexpr const char* kExplorerLoads[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler",
};
constexpr const char* kServices = "SYSTEM\\CurrentControlSet\\Services\\";
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kWow64Uninstall = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kIeKeys[] = {
    "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\",
    "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\",
};
// The browsers' lists of extensions forced in by policy.
constexpr struct {
    const char* key;
    const char* browser;
} kForcedExtensionLists[] = {
    {"SOFTWARE\\Policies\\Google\\Chrome\\ExtensionInstallForcelist", browsers::kChrome},
    {"SOFTWARE\\Policies\\Microsoft\\Edge\\ExtensionInstallForcelist", browsers::kEdge},
    {"SOFTWARE\\Policies\\BraveSoftware\\Brave\\ExtensionInstallForcelist", browsers::kBrave},
    {"SOFTWARE\\Policies\\Mozilla\\Firefox\\Extensions\\Install", browsers::kFirefox},
};

// The switch a Run key's entries answer to, and a Startup folder's.
const ApprovedSwitch kUserRunSwitch{kUser, StartupApprovedList::Run};
const ApprovedSwitch kMachineRunSwitch{kMachine, StartupApprovedList::Run};
const ApprovedSwitch kMachineRun32Switch{kMachine, StartupApprovedList::Run32};
const ApprovedSwitch kUserFolderSwitch{kUser, StartupApprovedList::StartupFolder};
const ApprovedSwitch kMachineFolderSwitch{kMachine, StartupApprovedList::StartupFolder};

// The machine's key in the 64-bit view, and in the 32-bit view too unless
// both views reach one key (Wine shares the policy keys; a 32-bit Windows
// has one view): a value is never reported twice. approved32 is the switch
// of the 32-bit view's own key.
void AddMachineKey(std::vector<PlaceSpec>& places, const char* path, const std::string& browser = {},
                   const std::vector<std::string>& values = {}, std::optional<ApprovedSwitch> approved64 = {},
                   std::optional<ApprovedSwitch> approved32 = {}) {
    places.push_back({kMachine, path, k64, browser, values, approved64});
    if (!SameKeyInBothViews(kMachine, path)) places.push_back({kMachine, path, k32, browser, values, approved32});
}

// The same, for a key whose listing looks at the values named.
void AddMachineValues(std::vector<PlaceSpec>& places, const char* path, const std::vector<std::string>& values) {
    AddMachineKey(places, path, {}, values);
}

std::vector<PlaceSpec> RunKeys(const PathSet&) {
    // On 64-bit Windows the machine's Run keys exist once per view: a 32-bit
    // installer's entries land in the 32-bit one. The user's keys are shared.
    // Of them, Windows' start-up lists (and StartupApproved) cover the Run keys only.
    std::vector<PlaceSpec> places{{kUser, kRun, k64, {}, {}, kUserRunSwitch}, {kUser, kRunOnce}, {kUser, kPolicyRun}};
    AddMachineKey(places, kRun, {}, {}, kMachineRunSwitch, kMachineRun32Switch);
    for (const char* key : {kRunOnce, kPolicyRun, kTerminalServerRun, kTerminalServerRunOnce}) AddMachineKey(places, key);
    return places;
}

std::vector<PlaceSpec> RunOnceExKeys(const PathSet&) {
    std::vector<PlaceSpec> places;
    AddMachineKey(places, kRunOnceEx);
    return places;
}

std::vector<PlaceSpec> OldLoadValues(const PathSet&) { return {{kUser, kWindowsKey, k64, {}, {"Load", "Run"}}}; }

std::vector<PlaceSpec> WinlogonValues(const PathSet&) {
    // The machine's in the 64-bit view only: the one Winlogon reads.
    return {{kMachine, kWinlogon, k64, {}, {"Userinit", "Shell", "Taskman", "AppSetup"}},
            {kUser, kWinlogon, k64, {}, {"Shell"}}};
}

std::vector<PlaceSpec> AppInitDllsValues(const PathSet&) {
    // The 32-bit view's list is loaded into 32-bit programs.
    std::vector<PlaceSpec> places;
    AddMachineValues(places, kWindowsKey, {"AppInit_DLLs"});
    return places;
}

std::vector<PlaceSpec> DebuggerRedirections(const PathSet&) {
    std::vector<PlaceSpec> places;
    AddMachineValues(places, kImageFileExecutionOptions, {"Debugger"});
    AddMachineValues(places, kSilentProcessExit, {"MonitorProcess"});
    return places;
}

std::vector<PlaceSpec> ActiveSetupComponents(const PathSet&) {
    std::vector<PlaceSpec> places;
    AddMachineValues(places, kActiveSetup, {"StubPath"});
    return places;
}

std::vector<PlaceSpec> CommandProcessorAutoRun(const PathSet&) {
    std::vector<PlaceSpec> places{{kUser, kCommandProcessor, k64, {}, {"AutoRun"}}};
    AddMachineValues(places, kCommandProcessor, {"AutoRun"});
    return places;
}

std::vector<PlaceSpec> ExplorerLoads(const PathSet&) {
    std::vector<PlaceSpec> places;
    for (const char* key : kExplorerLoads) AddMachineKey(places, key);
    return places;
}

std::vector<PlaceSpec> ServicesKey(const PathSet&) { return {{kMachine, kServices}}; }

std::vector<PlaceSpec> StartupFolders(const PathSet& paths) {
    std::vector<PlaceSpec> places{{nullptr, paths.userStartupFolder, k64, {}, {}, kUserFolderSwitch}};
    // Where the two are one folder, one watch reports each entry once.
    if (!SameFolder(paths.commonStartupFolder, paths.userStartupFolder))
        places.push_back({nullptr, paths.commonStartupFolder, k64, {}, {}, kMachineFolderSwitch});
    return places;
}

// The switches themselves, in the 64-bit view, where Explorer reads them.
std::vector<PlaceSpec> StartupSwitches(const PathSet&) {
    std::vector<PlaceSpec> places;
    for (const ApprovedSwitch& at :
         {kUserRunSwitch, kMachineRunSwitch, kMachineRun32Switch, kUserFolderSwitch, kMachineFolderSwitch})
        places.push_back({at.root, StartupApprovedKeyPath(at.list), k64, {}, {}, at});
    return places;
}

std::vector<PlaceSpec> UninstallKeys(const PathSet&) {
    return {{kUser, kUninstall}, {kMachine, kUninstall}, {kMachine, kWow64Uninstall}};
}

std::vector<PlaceSpec> InternetExplorerKeys(const PathSet&) {
    // 32-bit add-ons register in the 32-bit view, 64-bit ones in the 64-bit view.
    std::vector<PlaceSpec> places;
    for (const char* key : kIeKeys) AddMachineKey(places, key);
    return places;
}

std::vector<PlaceSpec> ForcedExtensionLists(const PathSet&) {
    std::vector<PlaceSpec> places;
    for (const auto& list : kForcedExtensionLists) {
        places.push_back({kUser, list.key, k64, list.browser});
        AddMachineKey(places, list.key, list.browser);
    }
    return places;
}

std::vector<PlaceSpec> ExtensionFolders(const PathSet& paths) {
    // Each folder names its browser. A folder reached twice is watched once.
    std::vector<PlaceSpec> places{{nullptr, paths.firefoxExtensionsFolder, k64, browsers::kFirefox},
                                  {nullptr, paths.chromeExtensionsFolder, k64, browsers::kChrome}};
    const auto add = [&](const std::string& folder, const std::string& browser) {
        for (const PlaceSpec& place : places)
            if (SameFolder(place.path, folder)) return;
        places.push_back({nullptr, folder, k64, browser});
    };
    for (const FirefoxProfile& profile : paths.firefoxProfiles) add(profile.folder + "extensions\\", browsers::kFirefox);
    for (const BrowserProfile& profile : paths.chromiumProfiles) add(profile.folder + "Extensions\\", profile.browserName);
    return places;
}

std::vector<PlaceSpec> ChromiumUserData(const PathSet& paths) {
    std::vector<PlaceSpec> places;
    if (paths.localAppDataFolder.empty()) return places;
    for (const std::string& folder : ChromiumUserDataFolders(WithTrailingBackslash(paths.localAppDataFolder)))
        places.push_back({nullptr, folder});
    return places;
}

std::vector<PlaceSpec> FirefoxFolder(const PathSet& paths) { return {{nullptr, paths.firefoxFolder}}; }

using L = KeyListing;
using C = KeyChanges;
using F = FindingKind;

}  // namespace

const std::vector<WatchKind>& WatchKinds() {
    static const std::vector<WatchKind> kinds{
        // name                  finding       places                                                        settle rule                         signers quiet  profiles
        {"Run keys",             F::Startup,   KeyPlaces{RunKeys, L::ValuePrograms, C::Subtree},             0, NewStartupValues,            true, true},
        {"RunOnceEx",            F::Startup,   KeyPlaces{RunOnceExKeys, L::Subkeys, C::Subtree},             2, NewRunOnceExEntries,         true},
        {"old load values",      F::Startup,   KeyPlaces{OldLoadValues, L::FileLists, C::Values},            0, ProgramsAddedToLists,        true},
        {"Winlogon",             F::Startup,   KeyPlaces{WinlogonValues, L::CommandLists, C::Values},        0, ProgramsAddedToLists,        true},
        {"AppInit DLLs",         F::Startup,   KeyPlaces{AppInitDllsValues, L::AppInitDlls, C::Values},      0, ProgramsAddedToLists,        true},
        {"debugger redirection", F::Startup,   KeyPlaces{DebuggerRedirections, L::SubkeysWithValue, C::Subtree}, 1, NewOrChangedRedirections, true},
        {"Active Setup",         F::Startup,   KeyPlaces{ActiveSetupComponents, L::SubkeysWithValue, C::Subtree}, 2, NewActiveSetupComponents, true},
        {"command processor",    F::Startup,   KeyPlaces{CommandProcessorAutoRun, L::ValuePrograms, C::Values}, 0, NewOrChangedCommandValues, true},
        {"Explorer loads",       F::Startup,   KeyPlaces{ExplorerLoads, L::ValueData, C::Values},            0, NewExplorerValues,           true},
        {"services",             F::Startup,   KeyPlaces{ServicesKey, L::ServiceStates, C::SubkeyNamesAndTicks}, 5, NewOrSwitchedServices,   true},
        {"scheduled tasks",      F::Startup,   TaskPlaces{},                                                 0, NewOrChangedTasks,           true},
        {"Startup folders",      F::Startup,   FolderPlaces{StartupFolders, FolderChanges::Entries},         6, NewStartupFolderEntries,     true, true},
        {"start-up switches",    F::Startup,   KeyPlaces{StartupSwitches, L::ApprovedStates, C::Values},     0, EntriesTurnedBackOn,         true, true},
        {"uninstall keys",       F::Program,   KeyPlaces{UninstallKeys, L::LabelledSubkeys, C::Subtree},     5, NewPrograms,                 true},
        {"Internet Explorer",    F::Extension, KeyPlaces{InternetExplorerKeys, L::Subkeys, C::Subtree},      6, NewInternetExplorerAddOns},
        {"forced extensions",    F::Extension, KeyPlaces{ForcedExtensionLists, L::ForcedExtensionIds, C::Subtree}, 0, NewForcedExtensions},
        {"extension folders",    F::Extension, FolderPlaces{ExtensionFolders, FolderChanges::Entries},       6, NewExtensionFolderEntries,   false, false, true},
    };
    return kinds;
}

std::vector<PlaceSpec> PlacesOf(const WatchKind& kind, const PathSet& paths) {
    if (const auto* keys = std::get_if<KeyPlaces>(&kind.places)) return keys->places(paths);
    if (const auto* folders = std::get_if<FolderPlaces>(&kind.places)) return folders->places(paths);
    return {{nullptr, "Scheduled tasks"}};
}

std::unique_ptr<Place> MakePlace(const WatchKind& kind, const PlaceSpec& place) {
    if (const auto* keys = std::get_if<KeyPlaces>(&kind.places)) return MakeKeyPlace(place, keys->listing, keys->changes);
    if (const auto* folders = std::get_if<FolderPlaces>(&kind.places)) return MakeFolderPlace(place, folders->changes);
    return MakeScheduledTasksPlace();
}

WatchRules RulesOf(const WatchKind& kind) {
    WatchRules rules{kind.settleSeconds, kind.rule, kind.finding};
    rules.signersChecked = kind.signersChecked;
    rules.quietWhilePurgeonRuns = kind.quietWhilePurgeonRuns;
    return rules;
}

const std::vector<ProfileWatchKind>& ProfileWatchKinds() {
    static const std::vector<ProfileWatchKind> kinds{
        {"Chromium profiles", ChromiumUserData, FolderChanges::Subfolders},
        {"Firefox profiles", FirefoxFolder, FolderChanges::FilesWritten},
    };
    return kinds;
}

}  // namespace vigilo
