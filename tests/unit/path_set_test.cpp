// The path set built from the shell's folders and Firefox's profiles.ini,
// the browser profiles found beside it, and the extension watches made of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/monitor_wiring.h"
#include "monitors/finding_rules.h"
#include "platform/file_system.h"
#include "core/path_set.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {
ShellFolders FoldersUnder(const TempFolder& root) {
    ShellFolders shell;
    shell.system = "C:\\windows\\system32";
    shell.internetCache = root.Path() + "\\INetCache";
    shell.localAppData = root.Path() + "\\Local";
    shell.roamingAppData = root.Path() + "\\Roaming\\";
    return shell;
}
}  // namespace

TEST(PathSet, FormsEveryFolderWithItsTrailingBackslash) {
    TempFolder root;
    PathSet p = BuildPathSet("C:\\Program Files\\Purgeon", FoldersUnder(root));
    EXPECT_EQ(p.programFolder, "C:\\Program Files\\Purgeon");
    EXPECT_EQ(p.companionFileName, "Purgeon.exe");
    EXPECT_EQ(p.systemFolder, "C:\\windows\\system32\\");
    EXPECT_EQ(p.internetCacheFolder, root.Path() + "\\INetCache\\");
    EXPECT_EQ(p.localAppDataFolder, root.Path() + "\\Local");
    EXPECT_EQ(p.roamingAppDataFolder, root.Path() + "\\Roaming\\");
    EXPECT_EQ(p.chromeProfileFolder, root.Path() + "\\Local\\Google\\Chrome\\User Data\\Default\\");
    EXPECT_EQ(p.chromeCacheFolder, p.chromeProfileFolder + "Cache\\");
    EXPECT_EQ(p.chromeExtensionsFolder, p.chromeProfileFolder + "Extensions\\");
}

TEST(PathSet, FirefoxProfilePathTurnsSlashesIntoBackslashes) {
    TempFolder root;
    const std::string firefox = root.Path() + "\\Roaming\\Mozilla\\Firefox\\";
    CreateDirectoryA((root.Path() + "\\Roaming").c_str(), nullptr);
    CreateDirectoryA((root.Path() + "\\Roaming\\Mozilla").c_str(), nullptr);
    CreateDirectoryA(firefox.c_str(), nullptr);
    WriteFile(firefox + "profiles.ini",
              "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
              "Path=Profiles/xyz.default\r\n");
    PathSet p = BuildPathSet("C:\\P", FoldersUnder(root));
    EXPECT_EQ(p.firefoxProfileFolder, firefox + "Profiles\\xyz.default\\");
    EXPECT_EQ(p.firefoxExtensionsFolder, firefox + "Profiles\\xyz.default\\extensions\\");
    EXPECT_EQ(p.firefoxCacheFolder, firefox + "Profiles\\xyz.default\\Cache\\");

    // With both cache folders present, the newer Cache2 is the one measured.
    CreateDirectoryA((firefox + "Profiles").c_str(), nullptr);
    CreateDirectoryA((firefox + "Profiles\\xyz.default").c_str(), nullptr);
    CreateDirectoryA((firefox + "Profiles\\xyz.default\\Cache").c_str(), nullptr);
    CreateDirectoryA((firefox + "Profiles\\xyz.default\\Cache2").c_str(), nullptr);
    EXPECT_EQ(BuildPathSet("C:\\P", FoldersUnder(root)).firefoxCacheFolder,
              firefox + "Profiles\\xyz.default\\Cache2\\");
}

TEST(PathSet, FirefoxProfileMarkedAbsoluteIsTakenAsItStands) {
    TempFolder root;
    const std::string firefox = root.Path() + "\\Roaming\\Mozilla\\Firefox\\";
    for (const char* folder : {"\\Roaming", "\\Roaming\\Mozilla", "\\Roaming\\Mozilla\\Firefox", "\\Elsewhere"})
        CreateDirectoryA((root.Path() + folder).c_str(), nullptr);
    std::string elsewhere = root.Path() + "\\Elsewhere";
    std::string withSlashes = elsewhere;
    std::replace(withSlashes.begin(), withSlashes.end(), '\\', '/');
    auto profileFolder = [&](const std::string& profile0) {
        WriteFile(firefox + "profiles.ini", "[Profile0]\r\nName=default\r\n" + profile0);
        return BuildPathSet("C:\\P", FoldersUnder(root)).firefoxProfileFolder;
    };
    EXPECT_EQ(profileFolder("IsRelative=0\r\nPath=" + withSlashes + "\r\n"), elsewhere + "\\");
    PathSet p = BuildPathSet("C:\\P", FoldersUnder(root));
    EXPECT_EQ(p.firefoxExtensionsFolder, elsewhere + "\\extensions\\");
    EXPECT_EQ(p.firefoxCacheFolder, elsewhere + "\\Cache\\");
    // Relative, or not marked at all: below the Firefox folder, as before.
    EXPECT_EQ(profileFolder("IsRelative=1\r\nPath=Profiles/a.default\r\n"), firefox + "Profiles\\a.default\\");
    EXPECT_EQ(profileFolder("Path=Profiles/a.default\r\n"), firefox + "Profiles\\a.default\\");
    // Marked absolute without a path: no folder at the drive's root.
    EXPECT_EQ(profileFolder("IsRelative=0\r\n"), firefox + "\\");
}

TEST(PathSet, MissingProfilesIniGivesAnEmptyProfilePart) {
    TempFolder root;
    PathSet p = BuildPathSet("C:\\P", FoldersUnder(root));
    EXPECT_EQ(p.firefoxProfileFolder, root.Path() + "\\Roaming\\Mozilla\\Firefox\\\\");
    EXPECT_FALSE(DirectoryExists(p.firefoxExtensionsFolder));
}

// A failed query plus a suffix would name a folder below the current drive's root.
TEST(PathSet, FailedShellQueriesGiveNoFolderAtAll) {
    const PathSet p = BuildPathSet("C:\\P", ShellFolders{});
    for (const std::string& folder :
         {p.systemFolder, p.userStartupFolder, p.commonStartupFolder, p.internetCacheFolder, p.roamingAppDataFolder,
          p.chromeProfileFolder, p.chromeCacheFolder, p.chromeExtensionsFolder, p.firefoxProfileFolder,
          p.firefoxCacheFolder, p.firefoxExtensionsFolder})
        EXPECT_EQ(folder, "");
    EXPECT_TRUE(p.firefoxProfiles.empty() && p.chromiumProfiles.empty());
}

TEST(PathSet, FindsTheDefaultAndNumberedProfilesOfChromeEdgeAndBrave) {
    TempFolder root;
    const std::string local = root.Path() + "\\Local\\";
    const std::string chrome = local + "Google\\Chrome\\User Data\\", edge = local + "Microsoft\\Edge\\User Data\\";
    const std::string brave = local + "BraveSoftware\\Brave-Browser\\User Data\\";
    for (const std::string& folder : {chrome + "Profile 10", chrome + "Default", chrome + "Profile 2", chrome + "Profile",
                                      chrome + "Profile x", chrome + "System Profile", chrome + "Guest Profile",
                                      edge + "Profile 1", brave + "default"})
        ASSERT_TRUE(MakeFolders(folder));
    WriteFile(chrome + "Profile 3", "a file, not a profile");
    std::vector<std::pair<std::string, std::string>> found;
    for (const BrowserProfile& p : BuildPathSet("C:\\P", FoldersUnder(root)).chromiumProfiles)
        found.emplace_back(p.browserName, p.folder);
    EXPECT_EQ(found, (std::vector<std::pair<std::string, std::string>>{{"Google Chrome", chrome + "Default\\"},
                                                                        {"Google Chrome", chrome + "Profile 2\\"},
                                                                        {"Google Chrome", chrome + "Profile 10\\"},
                                                                        {"Microsoft Edge", edge + "Profile 1\\"},
                                                                        {"Brave", brave + "default\\"}}));
}

TEST(PathSet, ListsEveryFirefoxProfileWithTheFolderOfItsCache) {
    TempFolder root;
    const std::string firefox = root.Path() + "\\Roaming\\Mozilla\\Firefox\\";
    const std::string local = root.Path() + "\\Local\\Mozilla\\Firefox\\";
    ASSERT_TRUE(MakeFolders(firefox));
    const std::string elsewhere = root.Path() + "\\Elsewhere\\Work";
    std::string withSlashes = elsewhere;
    std::replace(withSlashes.begin(), withSlashes.end(), '\\', '/');
    WriteFile(firefox + "profiles.ini",
              "[Profile2]\r\nIsRelative=0\r\nPath=" + withSlashes +
                  "\r\n[Install4F96D1932A9F858E]\r\nDefault=Profiles/x.install\r\n"
                  "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/a.default\r\n"
                  "[Profile1]\r\nIsRelative=1\r\nPath=Profiles/b.work\r\n[Profile3]\r\nName=no path\r\n"
                  "[ProfileX]\r\nPath=Profiles/not.numbered\r\n");
    std::vector<std::pair<std::string, std::string>> found;
    for (const FirefoxProfile& p : BuildPathSet("C:\\P", FoldersUnder(root)).firefoxProfiles)
        found.emplace_back(p.folder, p.localFolder);
    EXPECT_EQ(found, (std::vector<std::pair<std::string, std::string>>{
                         {firefox + "Profiles\\a.default\\", local + "Profiles\\a.default\\"},
                         {firefox + "Profiles\\b.work\\", local + "Profiles\\b.work\\"},
                         {elsewhere + "\\", elsewhere + "\\"}}));
}

// Every profile's extensions folder is watched once, naming its browser;
// so do the two folders of the path set.
TEST(MonitorSlots, WatchEveryProfilesExtensionsFolderOnceNamingItsBrowser) {
    PathSet paths;
    paths.firefoxExtensionsFolder = "C:\\R\\Firefox\\Profiles\\a\\extensions\\";
    paths.chromeExtensionsFolder = "C:\\L\\Google\\Chrome\\User Data\\Default\\Extensions\\";
    paths.firefoxProfiles = {{"C:\\R\\FIREFOX\\Profiles\\A\\", ""}, {"D:\\Work\\", "D:\\Work\\"}};
    paths.chromiumProfiles = {{"Google Chrome", "C:\\L\\Google\\Chrome\\User Data\\Default\\"},
                              {"Google Chrome", "C:\\L\\Google\\Chrome\\User Data\\Profile 1\\"},
                              {"Microsoft Edge", "C:\\L\\Microsoft\\Edge\\User Data\\Default\\"}};
    std::vector<std::pair<std::string, std::string>> watched;
    for (const MonitorSlot& slot : MonitorSlots(paths))
        if (slot.kind && slot.kind->rule == &NewExtensionFolderEntries) watched.emplace_back(slot.place.path, slot.place.browser);
    EXPECT_EQ(watched, (std::vector<std::pair<std::string, std::string>>{
                           {paths.firefoxExtensionsFolder, "Mozilla Firefox"},
                           {paths.chromeExtensionsFolder, "Google Chrome"},
                           {"D:\\Work\\extensions\\", "Mozilla Firefox"},
                           {"C:\\L\\Google\\Chrome\\User Data\\Profile 1\\Extensions\\", "Google Chrome"},
                           {"C:\\L\\Microsoft\\Edge\\User Data\\Default\\Extensions\\", "Microsoft Edge"}}));
}

// Profiles found later get their watch, profiles gone lose theirs, and the
// path set's two folders and the other watches stay.
TEST(MonitorSlots, ProfilesThatComeAndGoGainAndLoseTheirWatches) {
    PathSet paths;
    paths.chromeExtensionsFolder = "C:\\L\\Google\\Chrome\\User Data\\Default\\Extensions\\";
    paths.firefoxProfiles = {{"D:\\Work\\", "D:\\Work\\"}};
    MonitorGroups groups(MonitorSlots(paths), [](const MonitorSlot&) { return nullptr; });
    const size_t before = groups.Slots().size();

    paths.firefoxProfiles.clear();
    paths.chromiumProfiles = {{"Google Chrome", "C:\\L\\Google\\Chrome\\User Data\\Default\\"},
                              {"Microsoft Edge", "C:\\L\\Microsoft\\Edge\\User Data\\Profile 3\\"}};
    UpdateProfileSlots(groups, paths, true);
    ASSERT_EQ(groups.Slots().size(), before);
    const MonitorSlot& added = groups.Slots().back();
    EXPECT_EQ(added.place.path, "C:\\L\\Microsoft\\Edge\\User Data\\Profile 3\\Extensions\\");
    EXPECT_EQ(added.place.browser, "Microsoft Edge");
    EXPECT_TRUE(std::none_of(groups.Slots().begin(), groups.Slots().end(),
                             [](const MonitorSlot& slot) { return slot.place.path == "D:\\Work\\extensions\\"; }));
}

TEST(PathSet, FoldersAreTheSameWhateverTheirLetterCaseAndTrailingBackslashes) {
    EXPECT_TRUE(SameFolder("C:\\Users\\Ann\\Cache2", "c:\\users\\ANN\\cache2\\\\"));
    EXPECT_FALSE(SameFolder("C:\\Users\\Ann\\Cache", "C:\\Users\\Ann\\Cache2\\"));
}

TEST(PathSet, ExistenceTestsTellFilesFromFolders) {
    TempFolder root;
    root.Write("file.txt", "x");
    EXPECT_TRUE(FileExists(root.File("file.txt")));
    EXPECT_FALSE(DirectoryExists(root.File("file.txt")));
    EXPECT_TRUE(DirectoryExists(root.Path()));
    EXPECT_FALSE(FileExists(root.Path()));
    EXPECT_FALSE(FileExists(root.File("absent")));
}
