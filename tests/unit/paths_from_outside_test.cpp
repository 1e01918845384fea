// Paths that data others write name: a profiles.ini that spells one folder
// many ways or lists thousands, and profiles and icons on another computer.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/browser_profiles.h"
#include "core/path_set.h"
#include "platform/data_path.h"
#include "support/test_support.h"
#include "windows/program_icon.h"

using namespace vigilo;
using namespace vigilo::test;

TEST(PathsFromOutside, OneFolderSpelledManyWaysIsOneProfileAndThousandsAreCapped) {
    TempFolder firefox;
    std::string ini = "[Profile0]\r\nPath=Profiles/x\r\n[Profile1]\r\nPath=Profiles/x/.\r\n"
                      "[Profile2]\r\nPath=Profiles\\x\\\r\n[Profile3]\r\nPath=PROFILES/y/../X\r\n";
    for (int n = 4; n < 10000; ++n) ini += "[Profile" + std::to_string(n) + "]\r\nPath=p" + std::to_string(n) + "\r\n";
    firefox.Write("profiles.ini", ini);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<FirefoxProfile> profiles = FirefoxProfiles(firefox.Path() + "\\", "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    ASSERT_EQ(profiles.size(), kMostProfilesPerBrowser);
    EXPECT_EQ(profiles[0].folder, firefox.Path() + "\\Profiles\\x\\");
    EXPECT_EQ(profiles[1].folder, firefox.Path() + "\\p4\\");  // the next distinct one, by number
}

// Every spelling of another computer's path, and a drive mapped to a share
// (drive R, through the rule's seam), is neither watched nor measured nor
// shown; a profile stored by absolute local path is opened made normal.
TEST(PathsFromOutside, ProfilesAndIconsOnAnotherComputerAreNeverOpened) {
    const DriveTypeQuery system = SetDriveTypeQuery([](char letter) -> UINT {
        return letter == 'R' ? DRIVE_REMOTE : DRIVE_FIXED;
    });
    TempFolder firefox;
    firefox.Write("profiles.ini", "[Profile0]\r\nIsRelative=0\r\nPath=//server/share/profile\r\n"
                                  "[Profile1]\r\nIsRelative=0\r\nPath=\\\\?\\GLOBALROOT\\Device\\Mup\\s\\p\r\n"
                                  "[Profile2]\r\nIsRelative=0\r\nPath=\\??\\UNC\\server\\share\\p\r\n"
                                  "[Profile3]\r\nIsRelative=0\r\nPath=R:\\profile\r\n"
                                  "[Profile4]\r\nIsRelative=0\r\nPath=Profiles\\not-absolute\r\n"
                                  "[Profile5]\r\nIsRelative=1\r\nPath=Profiles/local\r\n"
                                  "[Profile6]\r\nIsRelative=0\r\nPath=" + firefox.Path() + "/abs/./x/../profile/\r\n");
    const std::vector<FirefoxProfile> profiles = FirefoxProfiles(firefox.Path() + "\\", "");
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].folder, firefox.Path() + "\\Profiles\\local\\");
    EXPECT_EQ(profiles[1].folder, firefox.Path() + "\\abs\\profile\\");
    EXPECT_EQ(profiles[1].localFolder, profiles[1].folder);
    for (const char* section : {"Profile0", "Profile1", "Profile2", "Profile3", "Profile4"})
        EXPECT_EQ(FirefoxProfilePath(firefox.Path() + "\\", section), "") << section;
    EXPECT_EQ(FirefoxProfilePath(firefox.Path() + "\\", "Profile6"), firefox.Path() + "\\abs\\profile");

    Paths().systemFolder = "C:\\windows\\system32\\";
    const std::string msiexec = "C:\\windows\\system32\\msiexec.exe";
    for (const char* icon : {"\\\\server\\share\\setup.exe", "\\\\?\\GLOBALROOT\\Device\\Mup\\s\\x.exe",
                             "\\??\\UNC\\s\\x.exe", "R:\\setup.exe", "setup.exe"})
        EXPECT_EQ(ProgramIconFile(icon), msiexec) << icon;
    firefox.Write("app.exe", "MZ");
    EXPECT_EQ(ProgramIconFile(firefox.Path() + "/sub/../app.exe"), firefox.Path() + "\\app.exe");
    Paths() = PathSet{};
    EXPECT_EQ(ProgramIconFile(""), "");  // no system folder: no icon, never a file of the current folder
    SetDriveTypeQuery(system);
}
