#include "monitors/finding_rules.h"

#include "core/browser_names.h"
#include "core/companion_running.h"
#include "core/exclusion_list.h"
#include "core/settings_store.h"
#include "monitors/extension_filters.h"
#include "monitors/startup_entry_rules.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr DWORD kLastStartWithWindows = 2;  // SERVICE_AUTO_START

// Whichever of the three keys is watched, an add-on's own values are looked up under this one.
constexpr const char* kIeExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
constexpr const char* kMachineClassesKey = "SOFTWARE\\Classes\\CLSID\\";
constexpr const char* kMergedClassesKey = "CLSID\\";
constexpr const char* kApprovedKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Each added entry's finding by name(entry), where it gives one.
template <typename Name>
std::vector<Finding> EachAdded(const RoundSight& sight, Name name) {
    std::vector<Finding> findings;
    for (const ListedEntry& entry : AddedEntries(sight.previous, sight.fresh))
        if (std::optional<Finding> finding = name(entry)) findings.push_back(std::move(*finding));
    return findings;
}

// EachAdded for startup entries: none while Purgeon runs (it is the one
// changing them), and none on its exclusion list.
template <typename Name>
std::vector<Finding> EachStartupEntryAdded(const RoundSight& sight, Name name) {
    if (IsCompanionRunning()) return {};
    return EachAdded(sight, [&](const ListedEntry& entry) -> std::optional<Finding> {
        std::string reported = ApplyExclusionList(name(entry));
        if (reported.empty()) return std::nullopt;
        return Finding{FindingKind::Startup, std::move(reported)};
    });
}

std::optional<Finding> ExtensionFinding(const std::string& browser, const std::string& found) {
    return Finding{FindingKind::Extension, browser + ": " + found, {}, {}, browser};
}

std::optional<DWORD> StartValue(HKEY service) {
    DWORD start = 0, type = REG_NONE, size = 0;
    if (QueryFixedValue(service, "Start", &start, sizeof start, type, size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_DWORD || size != sizeof start) return std::nullopt;
    return start;
}

// The name a new service subkey is reported by, or empty when it does not start with Windows.
std::string StartupServiceName(const PlaceSpec& place, const std::string& subkey) {
    const UniqueKey service = OpenKey(place.root, WithTrailingBackslash(place.path) + subkey, KEY_QUERY_VALUE, place.view);
    if (!service || !StartsWithWindows(StartValue(service.get()))) return {};
    const std::string displayName = TrimControlAndBlanks(LoadDisplayText(service.get(), "DisplayName"));
    return displayName.empty() ? subkey : displayName;
}

// Whether an added entry replaces one that went in the same round (or while
// no watch looked): an upgrade keeps its display name or its publisher.
bool IsUpgrade(const ListedEntry& added, const std::vector<ListedEntry>& removed) {
    for (const ListedEntry& gone : removed) {
        if (!added.displayName.empty() && added.displayName == gone.displayName) return true;
        if (!added.publisher.empty() && added.publisher == gone.publisher) return true;
    }
    return false;
}

// The name a class is registered under: the machine's registration first, then the merged class view.
std::string ClassDisplayName(const std::string& classId, RegistryView view) {
    std::string name = ReadString(HKEY_LOCAL_MACHINE, kMachineClassesKey + classId, "", view);
    if (name.empty()) name = ReadString(HKEY_CLASSES_ROOT, kMergedClassesKey + classId, "", view);
    return name;
}

}  // namespace

std::vector<Finding> NewStartupValues(const RoundSight& sight) {
    return EachStartupEntryAdded(sight, [](const ListedEntry& entry) { return entry.name; });
}

std::vector<Finding> NewStartupServices(const RoundSight& sight) {
    return EachStartupEntryAdded(sight, [&](const ListedEntry& entry) { return StartupServiceName(sight.place, entry.name); });
}

std::vector<Finding> NewStartupFolderEntries(const RoundSight& sight) {
    return EachStartupEntryAdded(sight, [&](const ListedEntry& entry) {
        return StartupFolderEntryName(sight.place.path, entry.name);
    });
}

bool IsUpdateOrHotfix(const std::string& programName, const std::string& releaseType) {
    return Contains(releaseType, "HOTFIX") || Contains(releaseType, "UPDATE") || Contains(programName, "(KB") ||
           Contains(programName, "UPDATE FOR");
}

std::vector<Finding> NewPrograms(const RoundSight& sight) {
    const std::vector<ListedEntry> removed = RemovedEntries(sight.previous, sight.fresh);
    return EachAdded(sight, [&](const ListedEntry& entry) -> std::optional<Finding> {
        if (IsUpgrade(entry, removed)) return std::nullopt;
        const PlaceSpec& place = sight.place;
        const std::string subkey = WithTrailingBackslash(place.path) + entry.name;
        const std::string& name = entry.displayName;
        if (IsUpdateOrHotfix(name, ReadString(place.root, subkey, "ReleaseType", place.view))) return std::nullopt;
        if (ApplyExclusionList(name).empty()) return std::nullopt;
        return Finding{FindingKind::Program, name, entry.publisher,
                       ReadString(place.root, subkey, "DisplayIcon", place.view)};
    });
}

std::string ResolveExtensionName(const std::string& added, RegistryView view) {
    const std::string extension = kIeExtensionsKey + added;
    std::string name = ReadString(HKEY_LOCAL_MACHINE, extension, "ButtonText", view);
    if (!name.empty()) return name;
    const std::string classId = ReadString(HKEY_LOCAL_MACHINE, extension, "CLSID", view);
    if (!classId.empty()) name = ClassDisplayName(classId, view);
    if (name.empty()) name = ClassDisplayName(added, view);
    // With no class id this reads the key's default value.
    if (name.empty()) name = ReadString(HKEY_LOCAL_MACHINE, kApprovedKey, classId, view);
    return name.empty() ? added : name;
}

std::vector<Finding> NewInternetExplorerAddOns(const RoundSight& sight) {
    return EachAdded(sight, [&](const ListedEntry& entry) -> std::optional<Finding> {
        const std::string added = TrimControlAndBlanks(entry.name);
        if (added.empty() || IsExcludedExtension(ResolveExtensionName(added, sight.place.view))) return std::nullopt;
        return ExtensionFinding(browsers::kInternetExplorer, added);
    });
}

std::vector<Finding> NewForcedExtensions(const RoundSight& sight) {
    return EachAdded(sight, [&](const ListedEntry& entry) -> std::optional<Finding> {
        if (IsExcludedExtension(entry.name)) return std::nullopt;
        return ExtensionFinding(sight.place.browser, entry.name);
    });
}

std::string BrowserNameForFolder(const std::string& folder) {
    return UpperCaseAscii(folder).find("GOOGLE") != std::string::npos ? browsers::kChrome : browsers::kFirefox;
}

std::vector<Finding> NewExtensionFolderEntries(const RoundSight& sight) {
    const std::string browser = sight.place.browser.empty() ? BrowserNameForFolder(sight.place.path) : sight.place.browser;
    return EachAdded(sight, [&](const ListedEntry& entry) -> std::optional<Finding> {
        if (!IsReportedFolderEntry(entry.name)) return std::nullopt;
        return ExtensionFinding(browser, entry.name);
    });
}

bool StartsWithWindows(std::optional<DWORD> start) { return start && *start <= kLastStartWithWindows; }

}  // namespace vigilo
