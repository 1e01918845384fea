#include "monitors/watch_kinds.h"

#include "core/browser_names.h"
#include "core/extension_own_name.h"
#include "monitors/autostart_rules.h"
#include "monitors/finding_rules.h"
#include "monitors/scheduled_tasks.h"
#include "monitors/services.h"
#include "monitors/turned_back_on.h"
#include "platform/file_system.h"
#include "platform/registry_views.h"

namespace vigilo {
namespace {

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_LOCAL_MACHINE;
constexpr RegistryView k64 = RegistryView::k64Bit;
constexpr RegistryView k32 = RegistryView::k32Bit;

constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kPolicyRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
// Windows' old load places (the user's) and AppInit_DLLs (the machine's) share this path.
constexpr const char* kWindowsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kCommandProcessor = "Software\\Microsoft\\Command Processor";
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kChromeForced = "SOFTWARE\\Policies\\Google\\Chrome\\ExtensionInstallForcelist";
constexpr const char* kEdgeForced = "SOFTWARE\\Policies\\Microsoft\\Edge\\ExtensionInstallForcelist";
constexpr const char* kBraveForced = "SOFTWARE\\Policies\\BraveSoftware\\Brave\\ExtensionInstallForcelist";
constexpr const char* kFirefoxForced = "SOFTWARE\\Policies\\Mozilla\\Firefox\\Extensions\\Install";

// The switch a Run key's entries answer to, and a Startup folder's.
const ApprovedSwitch kUserRunSwitch{kUser, StartupApprovedList::Run};
const ApprovedSwitch kMachineRunSwitch{kMachine, StartupApprovedList::Run};
const ApprovedSwitch kMachineRun32Switch{kMachine, StartupApprovedList::Run32};
const ApprovedSwitch kUserFolderSwitch{kUser, StartupApprovedList::StartupFolder};
const ApprovedSwitch kMachineFolderSwitch{kMachine, StartupApprovedList::StartupFolder};

// The keys of each family. On 64-bit Windows most of the machine's keys
// exist once per view (a 32-bit installer's entries land in the 32-bit one);
// the user's are shared (KeyAt).
const std::vector<KeyAt> kRunKeys{
    // Of these, Windows' start-up lists (and StartupApproved) cover the Run keys only.
    {.root = kUser, .path = kRunKey, .approved = kUserRunSwitch},
    {kUser, kRunOnce},
    {kUser, kPolicyRun},
    {.root = kMachine, .path = kRunKey, .approved = kMachineRunSwitch, .approved32 = kMachineRun32Switch},
    {kMachine, kRunOnce},
    {kMachine, kPolicyRun},
    // Windows runs these at the log-on of a terminal server's user, as the Run keys.
    {kMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {kMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
};
const std::vector<KeyAt> kRunOnceExKeys{
    {kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
};
const std::vector<KeyAt> kOldLoadValues{{kUser, kWindowsKey, {"Load", "Run"}}};
const std::vector<KeyAt> kWinlogonValues{
    // The machine's in the 64-bit view only: the one Winlogon reads.
    {.root = kMachine, .path = kWinlogon, .values = {"Userinit", "Shell", "Taskman", "AppSetup"}, .only64 = true},
    {kUser, kWinlogon, {"Shell"}},
};
// The 32-bit view's list is loaded into 32-bit programs.
const std::vector<KeyAt> kAppInitDllsValues{{kMachine, kWindowsKey, {"AppInit_DLLs"}}};
const std::vector<KeyAt> kDebuggerRedirections{
    {kMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options", {"Debugger"}},
    {kMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit", {"MonitorProcess"}},
};
const std::vector<KeyAt> kActiveSetupComponents{
    {kMachine, "SOFTWARE\\Microsoft\\Active Setup\\Installed Components", {"StubPath"}}};
const std::vector<KeyAt> kCommandProcessorAutoRun{{kUser, kCommandProcessor, {"AutoRun"}},
                                                  {kMachine, kCommandProcessor, {"AutoRun"}}};
const std::vector<KeyAt> kExplorerLoads{
    {kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad"},
    {kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler"},
};
const std::vector<KeyAt> kServicesKey{{.root = kMachine, .path = "SYSTEM\\CurrentControlSet\\Services\\", .only64 = true}};
// The switches themselves, in the 64-bit view, where Explorer reads them.
const std::vector<KeyAt> kStartupSwitches = [] {
    std::vector<KeyAt> keys;
    for (const ApprovedSwitch& at :
         {kUserRunSwitch, kMachineRunSwitch, kMachineRun32Switch, kUserFolderSwitch, kMachineFolderSwitch})
        keys.push_back({.root = at.root, .path = StartupApprovedKeyPath(at.list), .approved = at, .only64 = true});
    return keys;
}();
const std::vector<KeyAt> kUninstallKeys{
    {kUser, kUninstall},
    {.root = kMachine, .path = kUninstall, .only64 = true},
    {.root = kMachine, .path = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", .only64 = true},
};
// 32-bit add-ons register in the 32-bit view, 64-bit ones in the 64-bit view.
const std::vector<KeyAt> kInternetExplorerExtensions{{kMachine, kInternetExplorerExtensionsKey}};
const std::vector<KeyAt> kInternetExplorerHelpers{
    {kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\"},
    {kMachine, "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\"},
};
// The browsers' lists of extensions forced in by policy.
const std::vector<KeyAt> kForcedExtensionLists{
    {.root = kUser, .path = kChromeForced, .browser = browsers::kChrome},
    {.root = kMachine, .path = kChromeForced, .browser = browsers::kChrome},
    {.root = kUser, .path = kEdgeForced, .browser = browsers::kEdge},
    {.root = kMachine, .path = kEdgeForced, .browser = browsers::kEdge},
    {.root = kUser, .path = kBraveForced, .browser = browsers::kBrave},
    {.root = kMachine, .path = kBraveForced, .browser = browsers::kBrave},
    {.root = kUser, .path = kFirefoxForced, .browser = browsers::kFirefox},
    {.root = kMachine, .path = kFirefoxForced, .browser = browsers::kFirefox},
};

std::vector<PlaceSpec> StartupFolders(const PathSet& paths) {
    std::vector<PlaceSpec> places{{nullptr, paths.userStartupFolder, k64, {}, {}, kUserFolderSwitch}};
    // Where the two are one folder, one watch reports each entry once.
    if (!SameFolder(paths.commonStartupFolder, paths.userStartupFolder))
        places.push_back({nullptr, paths.commonStartupFolder, k64, {}, {}, kMachineFolderSwitch});
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

// The places of keys: each in the 64-bit view, and the machine's in the
// 32-bit view too unless both views reach one key (Wine shares the policy
// keys; a 32-bit Windows has one view), so that no value is reported twice.
std::vector<PlaceSpec> KeysOf(const std::vector<KeyAt>& keys) {
    std::vector<PlaceSpec> places;
    for (const KeyAt& key : keys) {
        places.push_back({key.root, key.path, k64, key.browser, key.values, key.approved});
        if (key.root == kMachine && !key.only64 && !SameKeyInBothViews(kMachine, key.path))
            places.push_back({key.root, key.path, k32, key.browser, key.values, key.approved32});
    }
    return places;
}

using L = KeyListing;
using C = KeyChanges;
using F = FindingKind;

}  // namespace

const std::vector<WatchKind>& WatchKinds() {
    static const std::vector<WatchKind> kinds{
        // name                  finding       places                                                          settle rule                       signers quiet  profiles
        {"Run keys",             F::Startup,   KeyPlaces{kRunKeys, L::ValuePrograms, C::Subtree},              0, NewStartupValues,          true, true},
        {"RunOnceEx",            F::Startup,   KeyPlaces{kRunOnceExKeys, L::Subkeys, C::Subtree},              2, NewRunOnceExEntries,       true},
        {"old load values",      F::Startup,   KeyPlaces{kOldLoadValues, L::FileLists, C::Values},             0, ProgramsAddedToLists,      true},
        {"Winlogon",             F::Startup,   KeyPlaces{kWinlogonValues, L::CommandLists, C::Values},         0, ProgramsAddedToLists,      true},
        {"AppInit DLLs",         F::Startup,   KeyPlaces{kAppInitDllsValues, L::AppInitDlls, C::Values},       0, ProgramsAddedToLists,      true},
        {"debugger redirection", F::Startup,   KeyPlaces{kDebuggerRedirections, L::SubkeysWithValue, C::Subtree}, 1, NewOrChangedCommandValues, true},
        {"Active Setup",         F::Startup,   KeyPlaces{kActiveSetupComponents, L::SubkeysWithValue, C::Subtree}, 2, NewActiveSetupComponents, true},
        {"command processor",    F::Startup,   KeyPlaces{kCommandProcessorAutoRun, L::ValuePrograms, C::Values}, 0, NewOrChangedCommandValues, true},
        {"Explorer loads",       F::Startup,   KeyPlaces{kExplorerLoads, L::ValueData, C::Values},             0, NewExplorerValues,         true},
        {"services",             F::Startup,   KeyPlaces{kServicesKey, L::ServiceStates, C::SubkeyNamesAndTicks}, 5, NewOrSwitchedServices,  true},
        {"scheduled tasks",      F::Startup,   TaskPlaces{},                                                   0, NewOrChangedTasks,         true},
        {"Startup folders",      F::Startup,   FolderPlaces{StartupFolders, FolderChanges::Entries},           6, NewStartupFolderEntries,   true, true},
        {"start-up switches",    F::Startup,   KeyPlaces{kStartupSwitches, L::ApprovedStates, C::Values},      0, EntriesTurnedBackOn,       true, true},
        {"uninstall keys",       F::Program,   KeyPlaces{kUninstallKeys, L::LabelledSubkeys, C::Subtree},      5, NewPrograms,               true},
        {"IE extensions",        F::Extension, KeyPlaces{kInternetExplorerExtensions, L::Subkeys, C::Subtree}, 6, NewInternetExplorerExtensions},
        {"IE helpers and bars",  F::Extension, KeyPlaces{kInternetExplorerHelpers, L::Subkeys, C::Subtree},    6, NewInternetExplorerHelpers},
        {"forced extensions",    F::Extension, KeyPlaces{kForcedExtensionLists, L::ForcedExtensionIds, C::Subtree}, 0, NewForcedExtensions},
        {"extension folders",    F::Extension, FolderPlaces{ExtensionFolders, FolderChanges::Entries},         6, NewExtensionFolderEntries, false, false, true},
    };
    return kinds;
}

std::vector<PlaceSpec> PlacesOf(const WatchKind& kind, const PathSet& paths) {
    if (const auto* keys = std::get_if<KeyPlaces>(&kind.places)) return KeysOf(keys->keys);
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
