// Paths that data others write name: a profiles.ini that spells one folder
// many ways or lists thousands, and profiles and icons on another computer.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/browser_profiles.h"
#include "core/path_set.h"
#include "platform/file_system.h"
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

TEST(PathsFromOutside, NetworkPathsAreRecognisedAsWrittenAndNeverOpened) {
    for (const char* remote : {"\\\\server\\share\\x", "//server/share/x", "\\\\?\\UNC\\server\\share\\x"})
        EXPECT_TRUE(IsNetworkPath(remote)) << remote;
    for (const char* local : {"C:\\x", "\\\\?\\C:\\x", "\\\\.\\C:\\x", "relative\\x", ""})
        EXPECT_FALSE(IsNetworkPath(local)) << local;

    TempFolder firefox;
    firefox.Write("profiles.ini", "[Profile0]\r\nIsRelative=0\r\nPath=//server/share/profile\r\n"
                                  "[Profile1]\r\nIsRelative=1\r\nPath=Profiles/local\r\n");
    const std::vector<FirefoxProfile> profiles = FirefoxProfiles(firefox.Path() + "\\", "");
    ASSERT_EQ(profiles.size(), 1u);
    EXPECT_EQ(profiles[0].folder, firefox.Path() + "\\Profiles\\local\\");
    EXPECT_EQ(FirefoxProfilePath(firefox.Path() + "\\", "Profile0"), "");

    Paths().systemFolder = "C:\\windows\\system32\\";
    EXPECT_EQ(ProgramIconFile("\\\\server\\share\\setup.exe"), "C:\\windows\\system32\\msiexec.exe");
    Paths() = PathSet{};
    EXPECT_EQ(ProgramIconFile(""), "");  // no system folder: no icon, never a file of the current folder
}
