#pragma once
// Folders and file names the monitors and windows use, computed once at
// start-up; only the browser profiles are looked for again, as browsers and
// profiles come and go. Folder texts end in "\" except the program
// folder and the local application data folder, which are kept as found;
// a folder below one the shell does not give is empty, never a path below
// the current drive's root.
#include <string>
#include <vector>

#include "core/browser_profiles.h"

namespace vigilo {

struct PathSet {
    std::string programFolder;          // no trailing "\"
    std::string companionFileName;      // "Purgeon.exe"
    std::string systemFolder;
    std::string userStartupFolder;      // the shell starts its entries at the user's log-on
    std::string commonStartupFolder;    // ... and these at every user's
    std::string internetCacheFolder;
    std::string localAppDataFolder;     // as the shell returned it
    std::string roamingAppDataFolder;
    std::string chromeProfileFolder;
    std::string chromeCacheFolder;
    std::string chromeExtensionsFolder;
    std::string firefoxProfileFolder;
    std::string firefoxCacheFolder;
    std::string firefoxExtensionsFolder;
    std::string firefoxFolder;          // "...\Mozilla\Firefox\", where profiles.ini lies
    // Beyond the folders above, which stay as they are: every Firefox profile
    // of profiles.ini, and every profile of Chrome, Edge and Brave.
    std::vector<FirefoxProfile> firefoxProfiles;
    std::vector<BrowserProfile> chromiumProfiles;
};

// The shell's answers the path set is built from; a failed query is empty.
struct ShellFolders {
    std::string system;
    std::string internetCache;
    std::string localAppData;
    std::string roamingAppData;
    std::string userStartup;
    std::string commonStartup;
};

ShellFolders QueryShellFolders();

// Builds every path from the shell folders, reading Firefox's profiles.ini
// and looking for the other browsers' profile folders.
PathSet BuildPathSet(const std::string& programFolder, const ShellFolders& shell);

// Looks for the browser profiles of paths again: profiles.ini read anew, the
// Chromium browsers' profile folders listed anew. The other folders stay.
void RescanBrowserProfiles(PathSet& paths);

// The program's path set, filled by the main window at creation.
PathSet& Paths();

// The companion's executable: program folder + "\" + "Purgeon.exe".
std::string CompanionPath();

}  // namespace vigilo
