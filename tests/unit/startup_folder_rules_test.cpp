// What a new entry of a Startup folder is reported as, and which Startup
// folders are watched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/monitor_wiring.h"
#include "core/path_set.h"
#include "monitors/finding_rules.h"
#include "monitors/finding_rules.h"
#include "platform/file_system.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

std::vector<std::string> StartupFolderWatches(const PathSet& paths) {
    std::vector<std::string> folders;
    for (const MonitorSlot& slot : MonitorSlots(paths))
        if (slot.kind->rule == &NewStartupFolderEntries) folders.push_back(slot.place.path);
    return folders;
}

}  // namespace

TEST(StartupFolderEntry, AShortcutIsNamedWithoutLnkAndOtherFilesAsTheyStand) {
    TempFolder folder;
    const std::string path = folder.Path() + "\\";
    for (const char* name : {"Updater.lnk", "Sync Helper.LNK", "News.url", "agent.exe", "notes.lnk.txt"})
        folder.Write(name, "x");
    EXPECT_EQ(StartupFolderEntryName(path, "Updater.lnk"), "Updater");
    EXPECT_EQ(StartupFolderEntryName(path, "Sync Helper.LNK"), "Sync Helper");
    EXPECT_EQ(StartupFolderEntryName(path, "News.url"), "News.url");
    EXPECT_EQ(StartupFolderEntryName(path, "agent.exe"), "agent.exe");
    EXPECT_EQ(StartupFolderEntryName(path, "notes.lnk.txt"), "notes.lnk.txt");
}

TEST(StartupFolderEntry, WhatTheShellKeepsOutOfSightOrDoesNotStartIsNeverReported) {
    TempFolder folder;
    const std::string path = folder.Path() + "\\";
    folder.Write("desktop.ini", "[.ShellClassInfo]");
    folder.Write("Desktop.INI", "[.ShellClassInfo]");
    folder.Write("hidden.lnk", "x");
    SetFileAttributesA(folder.File("hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN);
    folder.Write("system.lnk", "x");
    SetFileAttributesA(folder.File("system.lnk").c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryA(folder.File("Tools.lnk").c_str(), nullptr);
    for (const char* name : {"", "desktop.ini", "Desktop.INI", "hidden.lnk", "system.lnk", "Tools.lnk", "gone.lnk"})
        EXPECT_EQ(StartupFolderEntryName(path, name), "") << name;
}

TEST(StartupFolderWatch, BothFoldersAreWatchedOnceAndAnUnknownOneNotAtAll) {
    ShellFolders shell;
    shell.userStartup = "C:\\Users\\u\\Start Menu\\Programs\\Startup";
    shell.commonStartup = "C:\\ProgramData\\Start Menu\\Programs\\StartUp\\";
    PathSet paths = BuildPathSet("C:\\P", shell);
    EXPECT_EQ(StartupFolderWatches(paths),
              (std::vector<std::string>{shell.userStartup + "\\", shell.commonStartup}));

    // One folder for both (as where a profile lies in the common one): one watch.
    shell.commonStartup = "c:\\users\\U\\start menu\\programs\\startup";
    EXPECT_EQ(StartupFolderWatches(BuildPathSet("C:\\P", shell)), std::vector<std::string>{shell.userStartup + "\\"});

    // A folder the shell does not know stays empty: never "\", the drive's root.
    paths = BuildPathSet("C:\\P", ShellFolders{});
    EXPECT_EQ(paths.userStartupFolder, "");
    EXPECT_EQ(paths.commonStartupFolder, "");
    EXPECT_FALSE(DirectoryExists(paths.userStartupFolder));
}
