#include "monitors/finding_rules.h"

#include "core/browser_names.h"
#include "core/companion_running.h"
#include "core/checked_file.h"
#include "core/exclusion_list.h"
#include "core/extension_own_name.h"
#include "core/signer_check.h"
#include "core/signer_line.h"
#include "core/settings_store.h"
#include "monitors/extension_filters.h"
#include "monitors/services_added_quietly.h"
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

// Who made it is looked at for the last findings of a round only: those the
// window shows and the record keeps at the top. A flood costs no more.
constexpr size_t kDescribedFindings = 10;

// Adds who made it to the last of findings (found: the entry each came from).
template <typename Describe>
void DescribeLast(std::vector<Finding>& findings, const std::vector<const ListedEntry*>& found, Describe describe) {
    for (size_t i = findings.size() > kDescribedFindings ? findings.size() - kDescribedFindings : 0;
         i < findings.size(); ++i)
        describe(findings[i], *found[i]);
}

// Each added entry's finding by name(entry), where it gives one; then, for
// the last of them, describe(finding, entry) adds who made it.
template <typename Name, typename Describe>
std::vector<Finding> EachAdded(const RoundSight& sight, Name name, Describe describe) {
    const std::vector<ListedEntry> added = AddedEntries(sight.previous, sight.fresh);
    std::vector<Finding> findings;
    std::vector<const ListedEntry*> found;
    for (const ListedEntry& entry : added) {
        if (std::optional<Finding> finding = name(entry)) {
            findings.push_back(std::move(*finding));
            found.push_back(&entry);
        }
    }
    DescribeLast(findings, found, describe);
    return findings;
}

template <typename Name>
std::vector<Finding> EachAdded(const RoundSight& sight, Name name) {
    return EachAdded(sight, name, [](Finding&, const ListedEntry&) {});
}

// Who signed the file each finding names to check, as the window and the
// record tell it, weighed against the publisher the finding names. The
// files of a round are checked together.
void AddSigners(std::vector<Finding>& findings) {
    std::vector<std::string> files;
    std::vector<Finding*> checked;
    for (Finding& finding : findings) {
        if (finding.checkedFile.empty()) continue;
        files.push_back(finding.checkedFile);
        checked.push_back(&finding);
    }
    if (files.empty()) return;
    const std::vector<FileSignature> signatures = CheckFileSignatures(files);
    for (size_t i = 0; i < checked.size(); ++i) {
        checked[i]->signerLine = SignatureLine(signatures[i], checked[i]->publisher);
        checked[i]->signer = SignatureRecordField(signatures[i]);
    }
}

// EachAdded for startup entries: none while Purgeon runs (it is the one
// changing them), and none on its exclusion list; approved(entry) names
// where Windows keeps whether the entry starts, where it keeps that, and
// file(entry) the file that starts.
template <typename Name, typename Approved, typename File>
std::vector<Finding> EachStartupEntryAdded(const RoundSight& sight, Name name, Approved approved, File file) {
    if (IsCompanionRunning()) return {};
    const std::vector<EntryChange> changes = AddedOrChangedEntries(sight.previous, sight.fresh);
    const ExclusionListSnapshot exclusions = ExclusionListSnapshot::Take();
    std::vector<Finding> findings;
    std::vector<const ListedEntry*> found;
    for (const EntryChange& change : changes) {
        std::string reported = exclusions.Apply(name(change.entry));
        if (reported.empty()) continue;
        Finding finding{FindingKind::Startup, std::move(reported)};
        if (change.changed) finding.event = FindingEvent::Changed;
        finding.approved = approved(change.entry);
        findings.push_back(std::move(finding));
        found.push_back(&change.entry);
    }
    DescribeLast(findings, found,
                 [&](Finding& finding, const ListedEntry& entry) { finding.checkedFile = file(entry); });
    AddSigners(findings);
    return findings;
}

const auto kNoApproval = [](const ListedEntry&) { return std::optional<StartupApprovedTarget>(); };

// The text of a string value of place's key (or of its subkey), as stored.
std::string ValueText(const PlaceSpec& place, const std::string& subkey, const std::string& name) {
    const std::string path = subkey.empty() ? place.path : WithTrailingBackslash(place.path) + subkey;
    const UniqueKey key = OpenKey(place.root, path, KEY_QUERY_VALUE, place.view);
    const std::optional<RegistryValue> value = key ? QueryValue(key.get(), name) : std::nullopt;
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return {};
    return TextOfValue(*value);
}

std::optional<Finding> ExtensionFinding(const std::string& browser, const std::string& found) {
    return Finding{.kind = FindingKind::Extension, .name = browser + ": " + found, .browser = browser};
}

std::optional<DWORD> StartValue(HKEY service) {
    DWORD start = 0, type = REG_NONE, size = 0;
    if (QueryFixedValue(service, "Start", &start, sizeof start, type, size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_DWORD || size != sizeof start) return std::nullopt;
    return start;
}

// The name a new service subkey is reported by, or empty when it does not
// start with Windows; the ten-minute tick then reports it if it is switched
// to start with Windows before that tick.
std::string StartupServiceName(const PlaceSpec& place, const std::string& subkey) {
    const UniqueKey service = OpenKey(place.root, WithTrailingBackslash(place.path) + subkey, KEY_QUERY_VALUE, place.view);
    if (!service) return {};
    if (!StartsWithWindows(StartValue(service.get()))) {
        RememberServiceAddedNotStartingWithWindows(subkey);
        return {};
    }
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
    // Of the keys watched, Windows keeps the StartupApproved values of the Run keys' entries only.
    const bool runKey = SameIgnoringCase(sight.place.path, kRunKey);
    return EachStartupEntryAdded(
        sight, [](const ListedEntry& entry) { return entry.name; },
        [&](const ListedEntry& entry) {
            return runKey ? std::optional(RunValueTarget(sight.place.root, sight.place.view, entry.name)) : std::nullopt;
        },
        [&](const ListedEntry& entry) { return StartupCommandFileToCheck(ValueText(sight.place, {}, entry.name)); });
}

std::vector<Finding> NewStartupServices(const RoundSight& sight) {
    return EachStartupEntryAdded(
        sight, [&](const ListedEntry& entry) { return StartupServiceName(sight.place, entry.name); }, kNoApproval,
        [&](const ListedEntry& entry) {
            return StartupCommandFileToCheck(ValueText(sight.place, entry.name, "ImagePath"));
        });
}

std::vector<Finding> NewStartupFolderEntries(const RoundSight& sight) {
    return EachStartupEntryAdded(
        sight, [&](const ListedEntry& entry) { return StartupFolderEntryName(sight.place.path, entry.name); },
        [&](const ListedEntry& entry) {
            if (!sight.place.owner) return std::optional<StartupApprovedTarget>();
            return std::optional(StartupApprovedTarget{sight.place.owner, StartupApprovedList::StartupFolder, entry.name});
        },
        [&](const ListedEntry& entry) { return StartupFolderFileToCheck(sight.place.path + entry.name); });
}

bool IsUpdateOrHotfix(const std::string& programName, const std::string& releaseType) {
    return Contains(releaseType, "HOTFIX") || Contains(releaseType, "UPDATE") || Contains(programName, "(KB") ||
           Contains(programName, "UPDATE FOR");
}

std::vector<Finding> NewPrograms(const RoundSight& sight) {
    const std::vector<ListedEntry> removed = RemovedEntries(sight.previous, sight.fresh);
    const PlaceSpec& place = sight.place;
    const ExclusionListSnapshot exclusions = ExclusionListSnapshot::Take();
    std::vector<Finding> findings = EachAdded(
        sight,
        [&](const ListedEntry& entry) -> std::optional<Finding> {
            if (IsUpgrade(entry, removed)) return std::nullopt;
            const std::string subkey = WithTrailingBackslash(place.path) + entry.name;
            const std::string& name = entry.displayName;
            if (IsUpdateOrHotfix(name, ReadString(place.root, subkey, "ReleaseType", place.view))) return std::nullopt;
            if (exclusions.Apply(name).empty()) return std::nullopt;
            return Finding{.kind = FindingKind::Program,
                           .name = name,
                           .publisher = entry.publisher,
                           .iconPath = ReadString(place.root, subkey, "DisplayIcon", place.view)};
        },
        [&](Finding& finding, const ListedEntry& entry) {
            finding.checkedFile = ProgramFileToCheck(ValueText(place, entry.name, "DisplayIcon"),
                                                     ValueText(place, entry.name, "UninstallString"));
        });
    AddSigners(findings);
    return findings;
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
    const auto kind = SameIgnoringCase(WithTrailingBackslash(sight.place.path), kIeExtensionsKey)
                          ? InternetExplorerAddOnKind::Extension
                          : InternetExplorerAddOnKind::HelperObjectOrToolbar;
    return EachAdded(
        sight,
        [&](const ListedEntry& entry) -> std::optional<Finding> {
            const std::string added = TrimControlAndBlanks(entry.name);
            if (added.empty() || IsExcludedExtension(ResolveExtensionName(added, sight.place.view)))
                return std::nullopt;
            return ExtensionFinding(browsers::kInternetExplorer, added);
        },
        [&](Finding& finding, const ListedEntry& entry) {
            finding.ownName =
                InternetExplorerAddOnOwnName(kind, HKEY_LOCAL_MACHINE, TrimControlAndBlanks(entry.name), sight.place.view);
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
    const std::string& folder = sight.place.path;
    return EachAdded(
        sight,
        [&](const ListedEntry& entry) -> std::optional<Finding> {
            if (!IsReportedFolderEntry(entry.name)) return std::nullopt;
            return ExtensionFinding(browser, entry.name);
        },
        [&](Finding& finding, const ListedEntry& entry) {
            finding.ownName = browser == browsers::kFirefox ? FirefoxExtensionOwnName(folder, entry.name)
                                                            : ChromiumExtensionOwnName(folder + entry.name);
        });
}

bool StartsWithWindows(std::optional<DWORD> start) { return start && *start <= kLastStartWithWindows; }

}  // namespace vigilo
