#include "core/path_set.h"

#include <windows.h>
#include <shlobj.h>

#include "core/companion.h"
#include "platform/file_system.h"

namespace vigilo {
namespace {

std::string ShellFolder(int csidl) {
    char buffer[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    return buffer;
}

}  // namespace

ShellFolders QueryShellFolders() {
    ShellFolders shell;
    char buffer[MAX_PATH] = "";
    UINT length = GetSystemDirectoryA(buffer, sizeof(buffer));
    if (length > 0 && length < sizeof(buffer)) shell.system = buffer;
    shell.userStartup = ShellFolder(CSIDL_STARTUP);
    shell.commonStartup = ShellFolder(CSIDL_COMMON_STARTUP);
    shell.internetCache = ShellFolder(CSIDL_INTERNET_CACHE);
    shell.localAppData = ShellFolder(CSIDL_LOCAL_APPDATA);
    shell.roamingAppData = ShellFolder(CSIDL_APPDATA);
    return shell;
}

PathSet BuildPathSet(const std::string& programFolder, const ShellFolders& shell) {
    PathSet p;
    p.programFolder = programFolder;
    p.companionFileName = companion::ExecutableName();
    // A failed shell query leaves an empty text; the suffixes are appended to it all the same.
    p.systemFolder = WithTrailingBackslash(shell.system);
    // These are watched: an unknown one must stay empty, never become "\", the current drive's root.
    p.userStartupFolder = shell.userStartup.empty() ? "" : WithTrailingBackslash(shell.userStartup);
    p.commonStartupFolder = shell.commonStartup.empty() ? "" : WithTrailingBackslash(shell.commonStartup);
    p.internetCacheFolder = WithTrailingBackslash(shell.internetCache);
    p.localAppDataFolder = shell.localAppData;
    p.chromeProfileFolder = WithTrailingBackslash(shell.localAppData) + "Google\\Chrome\\User Data\\Default\\";
    p.chromeCacheFolder = p.chromeProfileFolder + "Cache\\";
    p.chromeExtensionsFolder = p.chromeProfileFolder + "Extensions\\";
    p.roamingAppDataFolder = WithTrailingBackslash(shell.roamingAppData);
    std::string firefoxFolder = p.roamingAppDataFolder + "Mozilla\\Firefox\\";
    p.firefoxProfileFolder = FirefoxProfilePath(firefoxFolder, "Profile0") + "\\";
    p.firefoxCacheFolder = DirectoryExists(p.firefoxProfileFolder + "Cache2\\") ? p.firefoxProfileFolder + "Cache2\\"
                                                                                : p.firefoxProfileFolder + "Cache\\";
    p.firefoxExtensionsFolder = p.firefoxProfileFolder + "extensions\\";
    // The profiles beyond those are looked for only where the shell said: not at the drive's root.
    const std::string localAppData = shell.localAppData.empty() ? "" : WithTrailingBackslash(shell.localAppData);
    p.firefoxProfiles = FirefoxProfiles(firefoxFolder, localAppData.empty() ? "" : localAppData + "Mozilla\\Firefox\\");
    if (!localAppData.empty()) p.chromiumProfiles = ChromiumProfiles(localAppData);
    return p;
}

PathSet& Paths() {
    static PathSet paths;
    return paths;
}

std::string CompanionPath() { return Paths().programFolder + "\\" + Paths().companionFileName; }

}  // namespace vigilo
