#include "core/browser_profiles.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "core/browser_names.h"
#include "platform/data_path.h"
#include "platform/file_system.h"
#include "platform/profile_file.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// Where each Chromium-family browser keeps its profiles, below local application data.
struct ChromiumBrowser {
    const char* name;
    const char* userData;
};
constexpr ChromiumBrowser kChromiumBrowsers[] = {
    {browsers::kChrome, "Google\\Chrome\\User Data\\"},
    {browsers::kEdge, "Microsoft\\Edge\\User Data\\"},
    {browsers::kBrave, "BraveSoftware\\Brave-Browser\\User Data\\"},
};

// How many [ProfileN] sections are looked at, at most, for the profiles.
constexpr size_t kMostSectionsExamined = 8 * kMostProfilesPerBrowser;

// More digits than any browser numbers its profiles with; keeps the number in range.
constexpr size_t kMostDigits = 9;

// What a 2048-character buffer takes of a value.
constexpr size_t kLongestValue = 2047;
// The section names fit a buffer of this many characters, each with its NUL.
constexpr size_t kSectionNamesBufferSize = 65536;

// Firefox writes profiles.ini in UTF-8.
ProfileFile LoadProfilesIni(const std::string& ini) { return ProfileFile::Load(ini, CP_UTF8); }

std::string ProfileString(const ProfileFile& ini, const std::string& section, const char* key) {
    return ini.Value(section, key, kLongestValue).value_or("");
}

// The Path of a section of profiles.ini with "/" made "\", and whether
// Firefox marked it as absolute (IsRelative=0, with a path).
struct SectionPath {
    std::string path;
    bool absolute = false;
};

SectionPath ReadSectionPath(const ProfileFile& ini, const std::string& section) {
    SectionPath read{ProfileString(ini, section, "Path")};
    std::replace(read.path.begin(), read.path.end(), '/', '\\');
    read.absolute = !read.path.empty() && TrimControlAndBlanks(ProfileString(ini, section, "IsRelative")) == "0";
    return read;
}

// The number after prefix in name (letter case aside), or -1 when name is
// not prefix followed by digits alone.
long NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + kMostDigits) return -1;
    if (UpperCaseAscii(name.substr(0, prefix.size())) != UpperCaseAscii(prefix)) return -1;
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return -1;
    return std::stol(digits);
}

// The [ProfileN] sections of ini by N; a section listed twice counts once.
std::map<long, std::string> ProfileSections(const ProfileFile& ini) {
    std::map<long, std::string> sections;
    size_t used = 1;
    for (const std::string& name : ini.SectionNames()) {
        used += Utf16Length(name) + 1;
        if (used > kSectionNamesBufferSize) break;
        if (const long number = NumberAfter(name, "Profile"); number >= 0) sections.emplace(number, name);
    }
    return sections;
}

// Profile folders of one browser's user data folder, by the rule above.
std::vector<std::string> ChromiumProfileNames(const std::string& userData) {
    std::map<long, std::string> found;  // "Default" as -1, before "Profile 0"
    ForEachFolderEntry(userData, [&](const FolderEntry& entry) {
        if (!entry.IsFolder()) return true;
        if (UpperCaseAscii(entry.name) == "DEFAULT") found.emplace(-1, entry.name);
        else if (const long number = NumberAfter(entry.name, "Profile "); number >= 0) found.emplace(number, entry.name);
        return true;
    });
    std::vector<std::string> names;
    for (const auto& [number, name] : found) {
        if (names.size() == kMostProfilesPerBrowser) break;
        names.push_back(name);
    }
    return names;
}

// The folder of a profile stored by absolute path, full and normal, without
// trailing "\" (a drive's root keeps its own); empty when it is not to be
// opened (data_path.h).
std::string AbsoluteProfileFolder(const std::string& path) {
    std::string folder = AcceptedDataPath(path).value_or("");
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace

std::string FirefoxProfilePath(const std::string& firefoxFolder, const std::string& section) {
    const SectionPath profile = ReadSectionPath(LoadProfilesIni(firefoxFolder + "profiles.ini"), section);
    if (!profile.absolute) return firefoxFolder + profile.path;
    return AbsoluteProfileFolder(profile.path);
}

std::vector<FirefoxProfile> FirefoxProfiles(const std::string& firefoxFolder, const std::string& localFirefoxFolder) {
    std::vector<FirefoxProfile> profiles;
    const ProfileFile ini = LoadProfilesIni(firefoxFolder + "profiles.ini");
    size_t examined = 0;
    for (const auto& [number, section] : ProfileSections(ini)) {
        // Sections without a profile are rare: a file of thousands is not read to its end.
        if (profiles.size() == kMostProfilesPerBrowser || ++examined > kMostSectionsExamined) break;
        const SectionPath profile = ReadSectionPath(ini, section);
        if (profile.path.empty()) continue;  // no profile, only a name
        FirefoxProfile found;
        if (profile.absolute) {
            const std::string folder = AbsoluteProfileFolder(profile.path);
            if (folder.empty()) continue;
            found = {WithTrailingBackslash(folder), WithTrailingBackslash(folder)};
        } else
            found = {firefoxFolder + profile.path + "\\",
                     localFirefoxFolder.empty() ? "" : localFirefoxFolder + profile.path + "\\"};
        // "Profiles/x", "Profiles/x/." and "Profiles\x\" are one folder.
        const bool known = std::any_of(profiles.begin(), profiles.end(),
                                       [&](const FirefoxProfile& p) { return SameFolder(p.folder, found.folder); });
        if (!known) profiles.push_back(std::move(found));
    }
    return profiles;
}

std::vector<BrowserProfile> ChromiumProfiles(const std::string& localAppData) {
    std::vector<BrowserProfile> profiles;
    for (const ChromiumBrowser& browser : kChromiumBrowsers) {
        const std::string userData = localAppData + browser.userData;
        for (const std::string& name : ChromiumProfileNames(userData))
            profiles.push_back({browser.name, userData + name + "\\"});
    }
    return profiles;
}

std::vector<std::string> ChromiumUserDataFolders(const std::string& localAppData) {
    std::vector<std::string> folders;
    for (const ChromiumBrowser& browser : kChromiumBrowsers) folders.push_back(localAppData + browser.userData);
    return folders;
}

}  // namespace vigilo
