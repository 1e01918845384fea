// The path set built from the shell's folders and Firefox's profiles.ini.
#include <gtest/gtest.h>

#include <algorithm>

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

TEST(PathSet, FailedShellQueriesLeaveEmptyTextsWithTheirSuffixes) {
    PathSet p = BuildPathSet("C:\\P", ShellFolders{});
    EXPECT_EQ(p.systemFolder, "\\");
    EXPECT_EQ(p.chromeProfileFolder, "\\Google\\Chrome\\User Data\\Default\\");
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
