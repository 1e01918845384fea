#include "monitors/watch_kinds.h"

#include "core/browser_names.h"
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
void AddMachineKey(std::vector<PlaceSpec>& places, const char* path, const std::string& browser = {}) {
    places.push_back({kMachine, path, k64, browser});
    if (!SameKeyInBothViews(kMachine, path)) places.push_back({kMachine, path, k32, browser});
}

std::vector<PlaceSpec> RunKeys(const PathSet&) {
    // On 64-bit Windows the machine's Run keys exist once per view: a 32-bit
    // installer's entries land in the 32-bit one. The user's keys are shared.
    std::vector<PlaceSpec> places{{kUser, kRun},          {kUser, kRunOnce},          {kMachine, kRun},
                                  {kMachine, kRunOnce},   {kMachine, kRun, k32},      {kMachine, kRunOnce, k32},
                                  {kUser, kPolicyRun}};
    AddMachineKey(places, kPolicyRun);
    return places;
}

std::vector<PlaceSpec> ServicesKey(const PathSet&) { return {{kMachine, kServices}}; }

std::vector<PlaceSpec> StartupFolders(const PathSet& paths) {
    std::vector<PlaceSpec> places{{nullptr, paths.userStartupFolder, k64, {}, kUser}};
    // Where the two are one folder, one watch reports each entry once.
    if (!SameFolder(paths.commonStartupFolder, paths.userStartupFolder))
        places.push_back({nullptr, paths.commonStartupFolder, k64, {}, kMachine});
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
        {"Run keys",             G::Startup,   RunKeys,              L::Values,             C::KeySubtree,         0, NewStartupValues,            W::Startup},
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
