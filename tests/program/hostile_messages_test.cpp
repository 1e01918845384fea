// Any process can post Vigilo's window messages. Floods of them with random
// parameters neither crash nor hang it, launch nothing and write nothing.
#include <gtest/gtest.h>

#include <random>

#include "support/test_support.h"
#include "support/tray_support.h"

using namespace vigilo::test;

namespace {

constexpr int kFlood = 10000;
bool Responds(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

}  // namespace

TEST(HostileMessages, FloodsWithRandomParametersLeaveVigiloRunningUnchanged) {
    CleanSettings settings;
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start());
    ASSERT_TRUE(vigilo.WaitForMainWindow());
    HWND main = vigilo.MainWindow();
    HWND handler = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (handler = FindTopWindow(kTrayHandlerClass, "", vigilo.ProcessId())); }, 5000));
    ASSERT_TRUE(Responds(main));
    const std::string before = SettingsValues();

    std::mt19937 random(1137);
    const UINT closeRequest = RegisterWindowMessageA("Vigilo");
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    auto anyBut = [&](UINT excluded) {
        UINT value;
        do value = random(); while (value == excluded);
        return value;
    };
    for (int i = 0; i < kFlood; ++i) PostMessageA(main, closeRequest, anyBut(1137), random());
    for (int i = 0; i < kFlood; ++i) PostMessageA(main, 1135, random(), random());
    // The icon's own id with notifications that are no mouse button's release.
    for (int i = 0; i < kFlood; ++i)
        PostMessageA(handler, 2048, i % 2 ? kFirstIconId : random(), anyBut(WM_LBUTTONUP) | 0x10000);
    for (int i = 0; i < kFlood; ++i) PostMessageA(handler, taskbarCreated, random(), random());

    EXPECT_TRUE(Responds(main));
    EXPECT_TRUE(Responds(handler));
    EXPECT_TRUE(vigilo.Running());
    EXPECT_EQ(SettingsValues(), before);
    EXPECT_TRUE(vigilo.PurgeonCalls().empty());

    // It still obeys the real close request, behind what is left of the floods.
    PostCloseRequest(main, 1137);
    EXPECT_TRUE(vigilo.WaitForExit(10000));
}
