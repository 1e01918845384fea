// The rule for paths read from others' data: only a drive-letter path on a
// fixed or removable drive is opened, made full and normal first; every
// other spelling, a relative one included, is refused.
#include <gtest/gtest.h>

#include <string>

#include "core/path_set.h"
#include "platform/data_path.h"
#include "platform/registry.h"
#include "support/test_support.h"
#include "windows/program_icon.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// Drive R is a share, S a CD, T a RAM disk, U removable, V has no root; the rest are fixed.
UINT SomeDrivesElsewhere(char letter) {
    switch (letter) {
        case 'R': return DRIVE_REMOTE;
        case 'S': return DRIVE_CDROM;
        case 'T': return DRIVE_RAMDISK;
        case 'U': return DRIVE_REMOVABLE;
        case 'V': return DRIVE_NO_ROOT_DIR;
        default: return DRIVE_FIXED;
    }
}

class DataPath : public ::testing::Test {
protected:
    void SetUp() override { system_ = SetDriveTypeQuery(&SomeDrivesElsewhere); }
    void TearDown() override { SetDriveTypeQuery(system_); }
    DriveTypeQuery system_ = nullptr;
};

}  // namespace

TEST_F(DataPath, ADriveLetterPathOnAFixedOrRemovableDriveOpensFullAndNormal) {
    EXPECT_EQ(AcceptedDataPath("C:\\Program Files\\App\\app.exe"), "C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(AcceptedDataPath("C:/Users/me/./profile/../other//x"), "C:\\Users\\me\\other\\x");
    EXPECT_EQ(AcceptedDataPath("C:\\x\\..\\..\\..\\y"), "C:\\y");  // ".." stops at the root
    EXPECT_EQ(AcceptedDataPath("U:\\stick\\app.exe"), "U:\\stick\\app.exe");
    EXPECT_EQ(AcceptedDataPath("\\\\?\\C:\\x\\app.exe"), "\\\\?\\C:\\x\\app.exe");
    EXPECT_EQ(AcceptedDataPath("C:\\PROGRA~1\\APP~1\\app.exe"), "C:\\PROGRA~1\\APP~1\\app.exe");  // 8.3 names stay
}

TEST_F(DataPath, PathsLongerThanMaxPathAreNormalisedAsTheShorterOnes) {
    const std::string part(200, 'a');
    EXPECT_EQ(AcceptedDataPath("C:\\" + part + "\\" + part + "\\..\\" + part + "\\x"),
              "C:\\" + part + "\\" + part + "\\x");
    const std::string long32k = "\\\\?\\C:\\" + part + "\\" + part + "\\" + part;
    EXPECT_EQ(AcceptedDataPath(long32k), long32k);
    EXPECT_EQ(AcceptedDataPath("\\\\?\\R:\\" + part + "\\" + part), std::nullopt);
    EXPECT_FALSE(AcceptedDataPath("C:\\" + std::string(40000, 'b')).has_value());  // beyond what Windows holds
}

TEST_F(DataPath, EveryOtherComputerSpellingIsRefused) {
    for (const char* remote : {
            "\\\\server\\share\\x", "//server/share/x", "\\/server\\share\\x", "\\\\?\\UNC\\server\\share\\x",
            "\\\\?\\unc\\server\\share\\x", "\\\\.\\UNC\\server\\share\\x",
            "\\\\?\\GLOBALROOT\\Device\\Mup\\server\\share\\x", "\\\\.\\GLOBALROOT\\Device\\Mup\\server\\share\\x",
            "\\??\\UNC\\server\\share\\x", "\\\\?\\Device\\Mup\\server\\share\\x", "\\Device\\Mup\\server\\share\\x",
            "R:\\x", "r:/x", "\\\\?\\R:\\x", "R:\\LONGNA~1\\x"})
        EXPECT_EQ(AcceptedDataPath(remote), std::nullopt) << remote;
    // Another drive or a server written inside a path stays a name on the drive it starts on.
    const std::optional<std::string> inside = AcceptedDataPath("C:\\..\\R:\\x\\..\\\\server\\share");
    ASSERT_TRUE(inside.has_value());
    EXPECT_EQ(inside->substr(0, 3), "C:\\") << *inside;
}

TEST_F(DataPath, DevicePathsAndDrivesThatAreNeitherFixedNorRemovableAreRefused) {
    for (const char* device : {
            "\\\\.\\C:\\x", "\\\\.\\C:", "\\\\?\\C:", "\\\\.\\PhysicalDrive0", "\\\\.\\pipe\\x",
            "\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\x", "\\??\\C:\\x", "\\Device\\HarddiskVolume1\\x",
            "//?/C:/x", "//./C:/x", "CON", "NUL:", "S:\\setup.exe", "T:\\x", "V:\\x", "1:\\x"})
        EXPECT_EQ(AcceptedDataPath(device), std::nullopt) << device;
}

// Resolving them would take the current folder or a drive's current folder.
TEST_F(DataPath, RelativePathsAreRefusedBeforeAnythingResolvesThem) {
    for (const char* relative : {"", "C:", "C:x", "C:..\\x", "c:app.exe", "x\\y", "x", ".\\x", "..\\x", "\\x",
                                 "/x", "\\\\?\\C:x", " C:\\x"})
        EXPECT_EQ(AcceptedDataPath(relative), std::nullopt) << relative;
    EXPECT_EQ(AcceptedDataPath(std::string("C:\\x\0\\\\server\\share", 20)), std::nullopt);  // a NUL inside
}

TEST(DataPathDrives, TheSystemsOwnDriveTypesAreAskedByDefault) {
    char windows[MAX_PATH] = "";
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 2u);
    const std::string folder = windows;
    ASSERT_EQ(GetDriveTypeA(folder.substr(0, 3).c_str()), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(AcceptedDataPath(folder + "\\system32\\..\\notepad.exe"), folder + "\\notepad.exe");
}

// A service's indirect name "@file,-id" names a file to load a text from:
// that file is data too. Drive C made a share, the system's own file is not opened.
TEST(DataPathDrives, AnIndirectTextIsLoadedOnlyFromAFileTheRuleAccepts) {
    ScratchKey key("IndirectTexts");
    SetString(HKEY_CURRENT_USER, key.Path(), "Indirect", "@%SystemRoot%\\system32\\shell32.dll,-7", REG_EXPAND_SZ);
    SetString(HKEY_CURRENT_USER, key.Path(), "OnAShare", "@\\\\server\\share\\x.dll,-7", REG_EXPAND_SZ);
    const UniqueKey k = OpenKey(HKEY_CURRENT_USER, key.Path(), KEY_READ);
    const std::string local = LoadDisplayText(k.get(), "Indirect");
    ASSERT_NE(local, "");
    EXPECT_EQ(LoadDisplayText(k.get(), "OnAShare"), "");
    const DriveTypeQuery system = SetDriveTypeQuery([](char) -> UINT { return DRIVE_REMOTE; });
    EXPECT_EQ(LoadDisplayText(k.get(), "Indirect"), "");
    SetDriveTypeQuery(system);
    EXPECT_EQ(LoadDisplayText(k.get(), "Indirect"), local);
}

// Drive X: of the test prefixes is a folder Wine takes for a share
// (scripts/wine-env.sh): what it holds is there, and still never opened.
TEST(DataPathDrives, AWineNetworkDriveIsRefusedThoughItsFilesAreThere) {
    if (GetDriveTypeW(L"X:\\") != DRIVE_REMOTE) GTEST_SKIP() << "no network drive X: in this prefix: run through scripts/test.sh";
    WriteFile("X:\\setup.exe", "MZ");
    ASSERT_NE(GetFileAttributesW(L"X:\\setup.exe"), INVALID_FILE_ATTRIBUTES);
    for (const char* onTheShare : {"X:\\setup.exe", "x:/setup.exe", "\\\\?\\X:\\setup.exe", "X:\\SETUP~1.EXE"})
        EXPECT_EQ(AcceptedDataPath(onTheShare), std::nullopt) << onTheShare;
    Paths().systemFolder = "C:\\windows\\system32\\";
    EXPECT_EQ(ProgramIconFile("X:\\setup.exe"), "C:\\windows\\system32\\msiexec.exe");
    Paths() = PathSet{};
    DeleteFileW(L"X:\\setup.exe");
}
