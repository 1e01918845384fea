// Vigilo.exe under faults while it runs: ten thousand startup entries
// written at once, and its watched keys and folders deleted under it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/extension_support.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/process_resources.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

constexpr int kFlood = 10000;
// No settle delay for startup entries: a reported one shows within this time.
constexpr DWORD kAppearMs = 3000;
constexpr SIZE_T kWorkingSetGrowthLimit = 16 * 1024 * 1024;
// Idle, Vigilo blocks without waking; a few wake-ups cost far less than this.
constexpr double kIdleCpuLimitMs = 100;
// Listing and diffing ten thousand names takes about half a second of CPU.
constexpr double kRoundCpuLimitMs = 2000;
const char* const kUserRunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Faults : public NotificationProgram {
protected:
    Faults() : NotificationProgram("TForm2c", "StartupNotifier") {}
    ~Faults() override {
        // Vigilo goes before the entries: it need not watch their removal.
        if (vigilo_) vigilo_->Kill();
        if (process_) CloseHandle(process_);
    }
    void Start() {
        StartVigilo();
        process_ = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, Pid());
        ASSERT_NE(process_, nullptr);
    }
    // Waits for the startup window naming name.
    void ExpectShown(const std::string& name) {
        HWND form = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (form = VisibleWindowOf(Pid(), "TForm2c")) != nullptr; }, kAppearMs))
            << name;
        EXPECT_NE(FindChildByText(form, name), nullptr) << name;
    }

    UnmanagedVigiloWindows unmanaged_;
    RunKeys runKeys_;
    HANDLE process_ = nullptr;
};

}  // namespace

TEST_F(Faults, TenThousandNewStartupEntriesAtOnceGiveOneWindowAndLeaveTheMonitorQuick) {
    Start();
    const ProcessResources before = ResourcesOf(process_);
    HKEY run = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUserRunPath, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &run), ERROR_SUCCESS);
    const std::string command = "C:\\VigiloTest\\flood.exe";
    for (int i = 0; i < kFlood; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "VigiloTestFlood%05d", i);
        RegSetValueExA(run, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }
    RegCloseKey(run);

    HWND form = WaitForWindow(kAppearMs);
    ASSERT_NE(form, nullptr);
    PostMessageA(form, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000));
    // What arrived during the window became the next baseline: nothing more is shown.
    EXPECT_TRUE(NoWindowFor(2500));

    const ProcessResources after = ResourcesOf(process_);
    EXPECT_LE(after.handles, before.handles + 5);
    EXPECT_LE(after.windows, before.windows);
    EXPECT_LT(after.workingSet, before.workingSet + kWorkingSetGrowthLimit);
    std::printf("%s\n%s\n", Describe("before", before).c_str(), Describe("after", after).c_str());

    // The monitor now lists ten thousand names at every change, and still reports at once.
    // Other arguments for the same program: no finding.
    const double cpuBefore = CpuMilliseconds(process_);
    SetString(HKEY_CURRENT_USER, kUserRunPath, "VigiloTestFlood00000", command + " /changed");
    EXPECT_TRUE(NoWindowFor(2500));
    const double cpu = CpuMilliseconds(process_) - cpuBefore;
    EXPECT_LT(cpu, kRoundCpuLimitMs);
    std::printf("CPU of a round over ten thousand names: %.1f ms\n", cpu);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestAfterFlood"));
    ExpectShown("VigiloTestAfterFlood");
}

// A deleted key ends its monitor, and Purgeon's restart request (message
// 1135) watches it again once it is back; a deleted folder is watched again
// as soon as it is back. Meanwhile Vigilo does not spin.
TEST_F(Faults, WatchedKeysAndFoldersDeletedAndMadeAgainLeaveVigiloIdleAndWatchingAgain) {
    BrowserFolders folders;
    UninstallKeys uninstallKeys;
    Start();
    DeleteKeyTree(HKEY_CURRENT_USER, kUserRunPath);
    DeleteKeyTree(kUserUninstall.root, kUserUninstall.path);
    if (folders.Usable()) RemoveTree(folders.ChromeExtensions());

    const double cpuBefore = CpuMilliseconds(process_);
    EXPECT_TRUE(NoWindowFor(3000));
    const double cpu = CpuMilliseconds(process_) - cpuBefore;
    EXPECT_LT(cpu, kIdleCpuLimitMs) << "CPU while its keys and folders were gone";
    std::printf("CPU in 3 s with watched keys and folders gone: %.1f ms\n", cpu);

    RunKeys madeAgain;
    UninstallKeys uninstallMadeAgain;
    PostMessageA(vigilo_->MainWindow(), WM_USER + 111, 0, 0);
    EXPECT_TRUE(NoWindowFor(1000));  // meanwhile the new monitors list their baselines
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestWatchedAgain"));
    ExpectShown("VigiloTestWatchedAgain");
}
