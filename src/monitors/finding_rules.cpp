#include "monitors/finding_rules.h"

#include <algorithm>

#include "core/browser_names.h"
#include "core/checked_file.h"
#include "core/exclusion_list.h"
#include "core/extension_own_name.h"
#include "core/settings_store.h"
#include "monitors/startup_findings.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr const char* kMachineClassesKey = "SOFTWARE\\Classes\\CLSID\\";
constexpr const char* kMergedClassesKey = "CLSID\\";
constexpr const char* kApprovedKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

constexpr const char* kShortcutExtension = ".LNK";
constexpr DWORD kUnseenAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// An extension's own name is looked for for the last findings of a round
// only: those the window shows and the record keeps at the top. A flood
// costs no more.
constexpr size_t kDescribedFindings = 10;

// Each added entry's finding by name(entry), where it gives one; then, for
// the last of them, describe(finding, entry) adds what its files say.
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
    for (size_t i = findings.size() > kDescribedFindings ? findings.size() - kDescribedFindings : 0;
         i < findings.size(); ++i)
        describe(findings[i], *found[i]);
    return findings;
}

template <typename Name>
std::vector<Finding> EachAdded(const RoundSight& sight, Name name) {
    return EachAdded(sight, name, [](Finding&, const ListedEntry&) {});
}

std::optional<Finding> ExtensionFinding(const std::string& browser, const std::string& found) {
    return Finding{.kind = FindingKind::Extension, .name = browser + ": " + found, .storedName = found, .browser = browser};
}

// A folder as compared: trimmed, without quotes and a trailing "\".
std::string ComparedFolder(const std::string& folder) {
    std::string compared;
    for (const char c : TrimControlAndBlanks(folder))
        if (c != '"') compared += c;
    while (!compared.empty() && (compared.back() == '\\' || compared.back() == '/')) compared.pop_back();
    return compared;
}

// Whether an added entry replaces one that went in the same round (or while
// no watch looked): an upgrade keeps its name, versions and tags aside, or
// the folder it is installed in.
bool IsUpgrade(const ListedEntry& added, const std::vector<ListedEntry>& removed) {
    const std::string name = ProgramNameWithoutVersion(added.displayName);
    const std::string folder = ComparedFolder(added.installLocation);
    for (const ListedEntry& gone : removed) {
        if (!name.empty() && SameIgnoringCase(name, ProgramNameWithoutVersion(gone.displayName))) return true;
        if (!folder.empty() && SameIgnoringCase(folder, ComparedFolder(gone.installLocation))) return true;
    }
    return false;
}

bool IsVersionLike(std::string_view token) {
    if (token.starts_with('v') || token.starts_with('V')) token.remove_prefix(1);
    return !token.empty() && token.find_first_not_of("0123456789.") == std::string_view::npos &&
           token.find_first_of("0123456789") != std::string_view::npos;
}

// The name a class is registered under: the machine's registration first, then the merged class view.
std::string ClassDisplayName(const std::string& classId, RegistryView view) {
    std::string name = ReadString(HKEY_LOCAL_MACHINE, kMachineClassesKey + classId, "", view);
    if (name.empty()) name = ReadString(HKEY_CLASSES_ROOT, kMergedClassesKey + classId, "", view);
    return name;
}

}  // namespace

std::vector<Finding> NewStartupValues(const RoundSight& sight) {
    return StartupFindings(sight, StartupEntriesOf(AddedOrChangedEntries(sight.previous, sight.fresh),
                                                   [](const EntryChange& change) {
                                                       const ListedEntry& value = change.entry;
                                                       return StartupEntry{value.name, value.name, false, value.command};
                                                   }));
}

std::vector<Finding> NewStartupFolderEntries(const RoundSight& sight) {
    return StartupFindings(sight, StartupEntriesOf(OnlyAdded(sight), [&](const EntryChange& change) {
                               const std::string& file = change.entry.name;
                               return StartupEntry{StartupFolderEntryName(sight.place.path, file), file, false, {},
                                                   sight.place.path + file};
                           }));
}

std::string ProgramNameWithoutVersion(const std::string& displayName) {
    constexpr std::string_view kTags[] = {"x64", "x86", "64-bit", "32-bit", "(64-bit)", "(32-bit)"};
    std::string name;
    std::string_view rest = displayName;
    while (!rest.empty()) {
        const size_t start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const size_t end = rest.find_first_of(" \t");
        const std::string_view token = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
        const bool tag = std::any_of(std::begin(kTags), std::end(kTags),
                                     [&](std::string_view known) { return SameIgnoringCase(token, known); });
        if (tag || IsVersionLike(token)) continue;
        if (!name.empty()) name += ' ';
        name += token;
    }
    return name;
}

std::string StartupFolderEntryName(const std::string& folder, const std::string& entry) {
    if (entry.empty()) return {};
    const std::string upper = UpperCaseAscii(entry);
    if (upper == "DESKTOP.INI") return {};
    const DWORD attributes = FileAttributes(folder + entry);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kUnseenAttributes)) return {};
    // A file named only ".lnk" keeps its name: there would be nothing left to show.
    const size_t extension = std::string(kShortcutExtension).size();
    if (upper.ends_with(kShortcutExtension) && entry.size() > extension) return entry.substr(0, entry.size() - extension);
    return entry;
}

bool IsExcludedExtension(const std::string& name) { return Contains(UpperCaseAscii(name), "LOCKBOX-VAULTS"); }

bool IsReportedFolderEntry(const std::string& entry) {
    const std::string upper = UpperCaseAscii(entry);
    return !entry.empty() && upper != "TEMP" && upper != "DEFAULT" && !IsExcludedExtension(entry);
}

bool IsUpdateOrHotfix(const std::string& programName, const std::string& releaseType) {
    return Contains(releaseType, "HOTFIX") || Contains(releaseType, "UPDATE") || Contains(programName, "(KB") ||
           Contains(programName, "UPDATE FOR");
}

std::vector<Finding> NewPrograms(const RoundSight& sight) {
    const std::vector<ListedEntry> removed = RemovedEntries(sight.previous, sight.fresh);
    const PlaceSpec& place = sight.place;
    const ExclusionListSnapshot exclusions = ExclusionListSnapshot::Take();
    return EachAdded(
        sight,
        [&](const ListedEntry& entry) -> std::optional<Finding> {
            if (IsUpgrade(entry, removed)) return std::nullopt;
            const std::string subkey = WithTrailingBackslash(place.path) + entry.name;
            const std::string& name = entry.displayName;
            if (IsUpdateOrHotfix(name, ReadString(place.root, subkey, "ReleaseType", place.view))) return std::nullopt;
            if (exclusions.Apply(name).empty()) return std::nullopt;
            Finding finding{.kind = FindingKind::Program,
                            .name = name,
                            .storedName = entry.name,
                            .publisher = entry.publisher,
                            .iconPath = ReadString(place.root, subkey, "DisplayIcon", place.view)};
            finding.program = UninstallEntryProgram(StringValue(place.root, subkey, "DisplayIcon", place.view),
                                                    StringValue(place.root, subkey, "UninstallString", place.view));
            return finding;
        });
}

std::string ResolveExtensionName(const std::string& added, RegistryView view) {
    const std::string extension = kInternetExplorerExtensionsKey + added;
    std::string name = ReadString(HKEY_LOCAL_MACHINE, extension, "ButtonText", view);
    if (!name.empty()) return name;
    const std::string classId = ReadString(HKEY_LOCAL_MACHINE, extension, "CLSID", view);
    if (!classId.empty()) name = ClassDisplayName(classId, view);
    if (name.empty()) name = ClassDisplayName(added, view);
    // With no class id this reads the key's default value.
    if (name.empty()) name = ReadString(HKEY_LOCAL_MACHINE, kApprovedKey, classId, view);
    return name.empty() ? added : name;
}

namespace {

std::vector<Finding> NewInternetExplorerAddOns(const RoundSight& sight, InternetExplorerAddOnKind kind) {
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

}  // namespace

std::vector<Finding> NewInternetExplorerExtensions(const RoundSight& sight) {
    return NewInternetExplorerAddOns(sight, InternetExplorerAddOnKind::Extension);
}

std::vector<Finding> NewInternetExplorerHelpers(const RoundSight& sight) {
    return NewInternetExplorerAddOns(sight, InternetExplorerAddOnKind::HelperObjectOrToolbar);
}

std::vector<Finding> NewForcedExtensions(const RoundSight& sight) {
    return EachAdded(sight, [&](const ListedEntry& entry) -> std::optional<Finding> {
        if (IsExcludedExtension(entry.name)) return std::nullopt;
        return ExtensionFinding(sight.place.browser, entry.name);
    });
}

std::vector<Finding> NewExtensionFolderEntries(const RoundSight& sight) {
    const std::string& browser = sight.place.browser;
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


}  // namespace vigilo
