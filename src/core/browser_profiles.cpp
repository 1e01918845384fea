#include "core/browser_profiles.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "core/browser_names.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

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

// More digits than any browser numbers its profiles with; keeps the number in range.
constexpr size_t kMostDigits = 9;

std::string ProfileString(const std::string& ini, const std::string& section, const char* key) {
    char buffer[2048] = "";
    GetPrivateProfileStringA(section.c_str(), key, "", buffer, sizeof(buffer), ini.c_str());
    return buffer;
}

// The Path of a section of profiles.ini with "/" made "\", and whether
// Firefox marked it as absolute (IsRelative=0, with a path).
struct SectionPath {
    std::string path;
    bool absolute = false;
};

SectionPath ReadSectionPath(const std::string& ini, const std::string& section) {
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
std::map<long, std::string> ProfileSections(const std::string& ini) {
    std::string names(65536, '\0');
    const DWORD length = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), ini.c_str());
    names.resize(std::min<size_t>(length, names.size()));
    std::map<long, std::string> sections;
    for (size_t at = 0; at < names.size();) {
        const size_t end = std::min(names.find('\0', at), names.size());
        const std::string name = names.substr(at, end - at);
        if (const long number = NumberAfter(name, "Profile"); number >= 0) sections.emplace(number, name);
        at = end + 1;
    }
    return sections;
}

// Profile folders of one browser's user data folder, by the rule above.
std::vector<std::string> ChromiumProfileNames(const std::string& userData) {
    std::map<long, std::string> found;  // "Default" as -1, before "Profile 0"
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(FindFirstFileA((userData + "*").c_str(), &entry));
    if (!find) return {};
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const std::string name = entry.cFileName;
        if (UpperCaseAscii(name) == "DEFAULT") found.emplace(-1, name);
        else if (const long number = NumberAfter(name, "Profile "); number >= 0) found.emplace(number, name);
    } while (FindNextFileA(find.get(), &entry));
    std::vector<std::string> names;
    for (const auto& [number, name] : found) names.push_back(name);
    return names;
}

}  // namespace

std::string FirefoxProfilePath(const std::string& firefoxFolder, const std::string& section) {
    const SectionPath profile = ReadSectionPath(firefoxFolder + "profiles.ini", section);
    return profile.absolute ? profile.path : firefoxFolder + profile.path;
}

std::vector<FirefoxProfile> FirefoxProfiles(const std::string& firefoxFolder, const std::string& localFirefoxFolder) {
    std::vector<FirefoxProfile> profiles;
    const std::string ini = firefoxFolder + "profiles.ini";
    for (const auto& [number, section] : ProfileSections(ini)) {
        const SectionPath profile = ReadSectionPath(ini, section);
        if (profile.path.empty()) continue;  // no profile, only a name
        if (profile.absolute)
            profiles.push_back({profile.path + "\\", profile.path + "\\"});
        else
            profiles.push_back({firefoxFolder + profile.path + "\\",
                                localFirefoxFolder.empty() ? "" : localFirefoxFolder + profile.path + "\\"});
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

}  // namespace vigilo
