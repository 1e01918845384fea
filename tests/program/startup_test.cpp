// Whole-program tests of Vigilo.exe's start-up and shutdown, driven as
// Purgeon and Windows do: through the settings key and window messages.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/test_support.h"

using namespace vigilo::test;

namespace {

const std::string kSettings = "Software\\Purgeon";
const HKEY kCu = HKEY_CURRENT_USER;

HWND ErrorBoxOf(DWORD pid) { return FindTopWindow("#32770", "Vigilo", pid); }

std::string ErrorBoxText(HWND box) {
    std::string all;
    for (HWND child : ChildWindows(box)) all += WindowText(child) + "\n";
    return all;
}

class StartupTest : public ::testing::Test {
protected:
    CleanSettings settings;
};

}  // namespace

TEST_F(StartupTest, CreatesGuardEnabledAndRunsWithAHiddenMainWindow) {
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    ASSERT_TRUE(vigilo.WaitForMainWindow());
    HWND main = vigilo.MainWindow();
    EXPECT_EQ(ClassName(main), "TForm1");
    EXPECT_EQ(WindowText(main), "Vigilo");
    EXPECT_FALSE(IsWindowVisible(main));
    DWORD guard = 0;
    EXPECT_TRUE(GetDword(kCu, kSettings, "GuardEnabled", guard));
    EXPECT_EQ(guard, 1u);
    vigilo.Stop();
    EXPECT_FALSE(vigilo.Running());
    EXPECT_EQ(vigilo.ExitCode(), 0u);
}

TEST_F(StartupTest, GuardEnabledFalseEndsAtOnceWithoutAWindow) {
    SetDword(kCu, kSettings, "GuardEnabled", 0);
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    ASSERT_TRUE(vigilo.WaitForExit(10000));
    EXPECT_EQ(vigilo.ExitCode(), 0u);
    EXPECT_EQ(FindTopWindow("TForm1", "Vigilo"), nullptr);
    // Nothing else is created either.
    DWORD unused = 0;
    EXPECT_FALSE(GetDword(kCu, kSettings, "NewAppNotifier", unused));
}

TEST_F(StartupTest, GuardEnabledOfTheWrongTypeShowsTheErrorAndEndsWithoutStarting) {
    SetString(kCu, kSettings, "GuardEnabled", "1");
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ErrorBoxOf(vigilo.ProcessId())) != nullptr; }, 10000));
    EXPECT_NE(ErrorBoxText(box).find("Invalid data type for 'GuardEnabled'"), std::string::npos) << ErrorBoxText(box);
    EXPECT_EQ(vigilo.MainWindow(), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(vigilo.WaitForExit(10000));
    EXPECT_EQ(vigilo.ExitCode(), 0u);
    EXPECT_EQ(FindTopWindow("TForm1", "Vigilo"), nullptr);
}

TEST_F(StartupTest, ASecondCopyEndsAtOnceWhileTheFirstRuns) {
    VigiloInstall first, second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.WaitForMainWindow());
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit(10000));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(first.Running());
}

TEST_F(StartupTest, OfCopiesStartedAtTheSameInstantExactlyOneRuns) {
    constexpr int kCopies = 8;
    std::vector<std::unique_ptr<VigiloInstall>> copies;
    for (int i = 0; i < kCopies; ++i) {
        copies.push_back(std::make_unique<VigiloInstall>(false));
        ASSERT_TRUE(copies.back()->Start(true));
    }
    for (auto& copy : copies) copy->Resume();
    int ended = 0;
    ASSERT_TRUE(WaitUntil([&] {
        ended = 0;
        for (auto& copy : copies) ended += copy->Running() ? 0 : 1;
        return ended == kCopies - 1;
    }, 20000)) << ended << " of " << kCopies << " ended";
    for (auto& copy : copies) {
        if (!copy->Running()) continue;
        EXPECT_TRUE(copy->WaitForMainWindow());
        // The survivor is the only "Vigilo" window.
        EXPECT_EQ(FindTopWindow("TForm1", "Vigilo"), copy->MainWindow());
    }
}

TEST_F(StartupTest, CreatesOnlyTheMissingNotifierSettings) {
    SetDword(kCu, kSettings, "NewAppNotifier", 0);
    const double lastTime = 40000.5;
    SetRaw(kCu, kSettings, "LastCacheNotification", REG_BINARY, &lastTime, sizeof(lastTime));
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    ASSERT_TRUE(vigilo.WaitForMainWindow());
    DWORD value = 99;
    // The window exists from the start of the form's creation; the settings follow.
    ASSERT_TRUE(WaitUntil([&] { return GetDword(kCu, kSettings, "CacheNotifier", value); }, 5000));
    ASSERT_TRUE(GetDword(kCu, kSettings, "NewAppNotifier", value));
    EXPECT_EQ(value, 0u);
    for (const char* name : {"NewToolbarNotifier", "StartupNotifier", "CacheNotifier"}) {
        ASSERT_TRUE(GetDword(kCu, kSettings, name, value)) << name;
        EXPECT_EQ(value, 1u) << name;
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(kCu, kSettings.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key), ERROR_SUCCESS);
    double stored = 0;
    DWORD type = 0, size = sizeof(stored);
    RegQueryValueExA(key, "LastCacheNotification", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size);
    RegCloseKey(key);
    EXPECT_EQ(stored, lastTime);
}

TEST_F(StartupTest, CreatesLastCacheNotificationAsEightBytesOfNow) {
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    ASSERT_TRUE(vigilo.WaitForMainWindow());
    DWORD type = 0, size = 0;
    ASSERT_TRUE(WaitUntil([&] { return GetValueInfo(kCu, kSettings, "LastCacheNotification", type, size); }, 5000));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 8u);
}

TEST_F(StartupTest, OnlyTheCloseRequestWithItsParameterEndsTheProgram) {
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    ASSERT_TRUE(vigilo.WaitForMainWindow());
    HWND main = vigilo.MainWindow();
    PostCloseRequest(main, 1136);
    PostCloseRequest(main, 0);
    PostMessageA(main, 1137, 1137, 0);
    // Message 1135 restarts the monitors; twice in a row is harmless.
    PostMessageA(main, 1135, 0, 0);
    PostMessageA(main, 1135, 0, 0);
    EXPECT_FALSE(vigilo.WaitForExit(1500));
    EXPECT_TRUE(IsWindow(main));
    PostCloseRequest(main, 1137);
    ASSERT_TRUE(vigilo.WaitForExit(10000));
    EXPECT_EQ(vigilo.ExitCode(), 0u);
}

TEST_F(StartupTest, ANotifierSettingOfTheWrongTypeShowsTheErrorAndKeepsRunning) {
    SetString(kCu, kSettings, "StartupNotifier", "y");  // a text that fits the four bytes of a DWORD
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ErrorBoxOf(vigilo.ProcessId())) != nullptr; }, 10000));
    EXPECT_NE(ErrorBoxText(box).find("Invalid data type for 'StartupNotifier'"), std::string::npos)
        << ErrorBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
    EXPECT_TRUE(vigilo.Running());
    EXPECT_NE(vigilo.MainWindow(), nullptr);
}
