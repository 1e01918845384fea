// Whole-program tests of Vigilo.exe's start-up and shutdown, driven as
// Purgeon and Windows do: through the settings key and window messages.
#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace vigilo::test;

namespace {
const std::string kSettings = "Software\\Purgeon";
const HKEY kCu = HKEY_CURRENT_USER;
}  // namespace

TEST(Startup, CreatesGuardEnabledAndRunsWithHiddenMainWindow) {
    CleanSettings settings;
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
