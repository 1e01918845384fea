#include "monitors/watch_kinds.h"

#include "core/browser_names.h"
#include "monitors/autostart_rules.h"
#include "monitors/finding_rules.h"
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

// The machine's key in the 64-bit view, and in the 32-bit view too unless
// both views reach one key (Wine shares the policy keys): a value is never
// reported twice.
void AddMachineKey(std::vector<PlaceSpec>& places, const char* path, const std::string& browser = {},
                   const std::vector<std::string>& values = {}) {
    places.push_back({kMachine, path, k64, browser, values});
    if (!SameKeyInBothViews(kMachine, path)) places.push_back({kMachine, path, k32, browser, values});
}

// The same, for a key whose listing looks at the values named.
void AddMachineValues(std::vector<PlaceSpec>& places, const char* path, const std::vector<std::string>& values) {
    AddMachineKey(places, path, {}, values);
}

std::vector<PlaceSpec> RunKeys(const PathSet&) {
    // On 64-bit Windows the machine's Run keys exist once per view: a 32-bit
    // installer's entries land in the 32-bit one. The user's keys are shared.
    std::vector<PlaceSpec> places{{kUser, kRun},          {kUser, kRunOnce},          {kMachine, kRun},
                                  {kMachine, kRunOnce},   {kMachine, kRun, k32},      {kMachine, kRunOnce, k32},
                                  {kUser, kPolicyRun}};
    AddMachineKey(places, kPolicyRun);
    AddMachineKey(places, kTerminalServerRun);
    AddMachineKey(places, kTerminalServerRunOnce);
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
    std::vector<PlaceSpec> places{{nullptr, paths.userStartupFolder, k64, {}, {}, kUser}};
    // Where the two are one folder, one watch reports each entry once.
    if (!SameFolder(paths.commonStartupFolder, paths.userStartupFolder))
        places.push_back({nullptr, paths.commonStartupFolder, k64, {}, {}, kMachine});
    return places;
}

std::vector<PlaceSpec> UninstallKeys(const PathSet&) {
    return {{kUser, kUninstall}, {kMachine, kUninstall}, {kMachine, kWow64Uninstall}};
}

std::vector<PlaceSpec> InternetExplorerKeys(const PathSet&) {
    // 32-bit add-ons register in the 32-bit view, 64-bit ones in the 64-bit view.
    std::vector<PlaceSpec> places;
    for (const RegistryView view : {k64, k32})
        for (const char* key : kIeKeys) places.push_back({kMachine, key, view});
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
    // The two of the path set name their browser by their path; each
    // profile's names its own. A folder reached twice is watched once.
    std::vector<PlaceSpec> places{{nullptr, paths.firefoxExtensionsFolder}, {nullptr, paths.chromeExtensionsFolder}};
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

using G = MonitorGroup;
using L = PlaceListing;
using C = PlaceChanges;
using W = FindingKind;

}  // namespace

const std::vector<WatchKind>& WatchKinds() {
    static const std::vector<WatchKind> kinds{
        // name                  group         places                listing              changes                settle rule                         window
        {"Run keys",             G::Startup,   RunKeys,              L::ValuePrograms,      C::KeySubtree,         0, NewStartupValues,            W::Startup},
        {"RunOnceEx",            G::Startup,   RunOnceExKeys,        L::Subkeys,            C::KeySubtree,         2, NewRunOnceExEntries,         W::Startup},
        {"old load values",      G::Startup,   OldLoadValues,        L::FileLists,          C::KeyValues,          0, ProgramsAddedToLists,        W::Startup},
        {"Winlogon",             G::Startup,   WinlogonValues,       L::CommandLists,       C::KeyValues,          0, ProgramsAddedToLists,        W::Startup},
        {"AppInit DLLs",         G::Startup,   AppInitDllsValues,    L::AppInitDlls,        C::KeyValues,          0, ProgramsAddedToLists,        W::Startup},
        {"debugger redirection", G::Startup,   DebuggerRedirections, L::SubkeysWithValue,   C::KeySubtree,         1, NewOrChangedRedirections,    W::Startup},
        {"Active Setup",         G::Startup,   ActiveSetupComponents, L::SubkeysWithValue,  C::KeySubtree,         2, NewActiveSetupComponents,    W::Startup},
        {"command processor",    G::Startup,   CommandProcessorAutoRun, L::ValuePrograms,   C::KeyValues,          0, NewOrChangedCommandValues,   W::Startup},
        {"Explorer loads",       G::Startup,   ExplorerLoads,        L::ValueData,          C::KeyValues,          0, NewExplorerValues,           W::Startup},
        {"services",             G::Startup,   ServicesKey,          L::Subkeys,            C::SubkeyNames,        5, NewStartupServices,          W::Startup},
        {"Startup folders",      G::Startup,   StartupFolders,       L::FolderEntries,      C::FolderEntries,      6, NewStartupFolderEntries,     W::Startup},
        {"uninstall keys",       G::NewProgram, UninstallKeys,       L::LabelledSubkeys,    C::KeySubtree,         5, NewPrograms,                 W::Program},
        {"Internet Explorer",    G::Extension, InternetExplorerKeys, L::Subkeys,            C::KeySubtree,         6, NewInternetExplorerAddOns,   W::Extension},
        {"forced extensions",    G::Extension, ForcedExtensionLists, L::ForcedExtensionIds, C::KeySubtree,         0, NewForcedExtensions,         W::Extension},
        {"extension folders",    G::Extension, ExtensionFolders,     L::FolderEntries,      C::FolderEntries,      6, NewExtensionFolderEntries,   W::Extension, true},
        {"Chromium profiles",    G::Extension, ChromiumUserData,     L::Nothing,            C::FolderSubfolders,   1, nullptr,                     W::Extension},
        {"Firefox profiles",     G::Extension, FirefoxFolder,        L::Nothing,            C::FolderFilesWritten, 1, nullptr,                     W::Extension},
    };
    return kinds;
}

}  // namespace vigilo
