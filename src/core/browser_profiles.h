#pragma once
// The user's browser profiles, found at start-up and again whenever the
// folders they live in change: every profile that
// Firefox's profiles.ini lists, and every profile folder of the
// Chromium-family browsers (Google Chrome, Microsoft Edge, Brave). A browser
// that is not installed has none.
#include <string>
#include <vector>

namespace vigilo {

// At most this many profiles of one browser are watched and measured, the
// first ones: a user with dozens is rare, and thousands (a profiles.ini made
// to exhaust the process with threads) is an attack.
inline constexpr size_t kMostProfilesPerBrowser = 32;

struct FirefoxProfile {
    std::string folder;       // the profile folder, ending in "\"
    std::string localFolder;  // where Firefox keeps the profile's cache, ending in "\"; empty if unknown
};

// The folder of one section of profiles.ini (firefoxFolder ends in "\"),
// without trailing "\": below the Firefox folder, or, when Firefox marked it
// as an absolute path (IsRelative=0), as it does for a profile made
// elsewhere, that path made full and normal; empty for an absolute path that
// is not to be opened (platform/data_path.h: on another computer, on no
// fixed or removable drive, or not a drive-letter path). "/" become "\".
std::string FirefoxProfilePath(const std::string& firefoxFolder, const std::string& section);

// Every [ProfileN] section of profiles.ini that has a path, by N, each
// folder once (compared full and normal), at most kMostProfilesPerBrowser;
// a profile stored by an absolute path that is not to be opened is left out
// (see FirefoxProfilePath). Firefox
// keeps the cache of a relative profile at the same place below
// localFirefoxFolder (local application data + "Mozilla\Firefox\"), and
// that of an absolute one in the profile folder itself. An empty
// localFirefoxFolder (no local application data folder) leaves the former unknown.
std::vector<FirefoxProfile> FirefoxProfiles(const std::string& firefoxFolder, const std::string& localFirefoxFolder);

struct BrowserProfile {
    std::string browserName;  // as the extension window names the browser
    std::string folder;       // ending in "\"
};

// The profile folders of Chrome, Edge and Brave below localAppData (ending
// in "\"), browser by browser: "Default" first, then "Profile 1",
// "Profile 2", ... by number, at most kMostProfilesPerBrowser of each. The browsers' other folders ("System
// Profile", "Guest Profile", caches of their own) hold no add-ons of the user.
std::vector<BrowserProfile> ChromiumProfiles(const std::string& localAppData);

// The "User Data" folders of Chrome, Edge and Brave below localAppData
// (ending in "\"), whether they exist or not: where their profiles come and go.
std::vector<std::string> ChromiumUserDataFolders(const std::string& localAppData);

}  // namespace vigilo
