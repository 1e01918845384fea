#include "core/path_set.h"

#include <shlobj.h>

#include "core/companion.h"
#include "platform/file_system.h"
#include "platform/shell.h"

namespace vigilo {

ShellFolders QueryShellFolders() {
    ShellFolders shell;
    shell.system = SystemFolderPath();
    shell.userStartup = ShellFolderPath(CSIDL_STARTUP);
    shell.commonStartup = ShellFolderPath(CSIDL_COMMON_STARTUP);
    shell.internetCache = ShellFolderPath(CSIDL_INTERNET_CACHE);
    shell.localAppData = ShellFolderPath(CSIDL_LOCAL_APPDATA);
    shell.roamingAppData = ShellFolderPath(CSIDL_APPDATA);
    return shell;
}

namespace {

// folder + "\" + below; empty when the shell gave no folder, which must stay
// no folder: an empty text with a suffix is a path below the current drive's
// root, where any local account may put what it likes.
std::string Below(const std::string& folder, const std::string& below) {
    return folder.empty() ? std::string() : WithTrailingBackslash(folder) + below;
}

}  // namespace

PathSet BuildPathSet(const std::string& programFolder, const ShellFolders& shell) {
    PathSet p;
    p.programFolder = programFolder;
    p.companionFileName = companion::ExecutableName();
    p.systemFolder = Below(shell.system, "");
    p.userStartupFolder = Below(shell.userStartup, "");
    p.commonStartupFolder = Below(shell.commonStartup, "");
    p.internetCacheFolder = Below(shell.internetCache, "");
    p.localAppDataFolder = shell.localAppData;
    p.chromeProfileFolder = Below(shell.localAppData, "Google\\Chrome\\User Data\\Default\\");
    p.chromeCacheFolder = Below(p.chromeProfileFolder, "Cache\\");
    p.chromeExtensionsFolder = Below(p.chromeProfileFolder, "Extensions\\");
    p.roamingAppDataFolder = Below(shell.roamingAppData, "");
    const std::string firefoxFolder = Below(p.roamingAppDataFolder, "Mozilla\\Firefox\\");
    p.firefoxFolder = firefoxFolder;
    // The profile's path and "\" as they stand (an empty Path gives the Firefox folder and "\").
    if (!firefoxFolder.empty()) p.firefoxProfileFolder = FirefoxProfilePath(firefoxFolder, "Profile0");
    if (!p.firefoxProfileFolder.empty()) p.firefoxProfileFolder += "\\";
    if (!p.firefoxProfileFolder.empty())
        p.firefoxCacheFolder = p.firefoxProfileFolder + (DirectoryExists(p.firefoxProfileFolder + "Cache2\\") ? "Cache2\\" : "Cache\\");
    p.firefoxExtensionsFolder = Below(p.firefoxProfileFolder, "extensions\\");
    RescanBrowserProfiles(p);
    return p;
}

void RescanBrowserProfiles(PathSet& paths) {
    const std::string localAppData = Below(paths.localAppDataFolder, "");
    paths.firefoxProfiles.clear();
    paths.chromiumProfiles.clear();
    if (!paths.firefoxFolder.empty())
        paths.firefoxProfiles = FirefoxProfiles(paths.firefoxFolder, Below(localAppData, "Mozilla\\Firefox\\"));
    if (!localAppData.empty()) paths.chromiumProfiles = ChromiumProfiles(localAppData);
}

PathSet& Paths() {
    static PathSet paths;
    return paths;
}

std::string CompanionPath() { return Paths().programFolder + "\\" + Paths().companionFileName; }

}  // namespace vigilo
