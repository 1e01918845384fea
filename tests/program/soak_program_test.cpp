// Fifty notifications of mixed kinds through Vigilo.exe: a startup entry and
// an Internet Explorer add-on (each holds the way for its 20 seconds), then
// new programs under the three uninstall keys in turn, each registered as the
// window before it shows, so that its settle delay runs while that window is
// closed; every window is closed as soon as it shows. Afterwards Vigilo's
// handles, windows and working set are where they were.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/extension_support.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/process_resources.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

constexpr int kNewPrograms = 48;
constexpr size_t kWarmUpWindows = 3;
// A new program shows after its 5 s settle delay; a late one has been dropped.
constexpr DWORD kNewProgramShowsMs = 12000;
constexpr SIZE_T kWorkingSetGrowthLimit = 2 * 1024 * 1024;
const UninstallKey* const kKeys[] = {&kMachineUninstall, &kUserUninstall, &kWow64Uninstall};

std::string ShownName(int i) { return "SOAK PROGRAM " + std::to_string(i); }

class SoakProgram : public NotificationProgram {
protected:
    SoakProgram() : NotificationProgram("TForm2a", "NewAppNotifier") {}
    ~SoakProgram() override {
        if (process_) CloseHandle(process_);
    }
    void Open() {
        process_ = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, Pid());
        ASSERT_NE(process_, nullptr);
    }
    ProcessResources Resources() const { return ResourcesOf(process_); }

    // Waits for a timed window of windowClass, closes it at once, and waits
    // until its time is over and it is gone.
    void CloseTimedWindow(const char* windowClass) {
        HWND form = WaitForVisibleWindow(Pid(), windowClass, 15000);
        ASSERT_NE(form, nullptr) << windowClass;
        PostMessageA(form, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000)) << windowClass;
    }
    void Register(int i) {
        RegisterProgram(*kKeys[i % 3], "VigiloTestSoak" + std::to_string(i), "Soak Program " + std::to_string(i),
                        "Soak Ltd");
    }
    // Waits for the new-program window naming program i; null when it does not come.
    HWND WaitForProgram(int i) {
        HWND shown = nullptr;
        WaitUntil(
            [&] {
                HWND form = VisibleWindowOf(Pid(), "TForm2a");
                if (form && FindChildByText(form, ShownName(i))) shown = form;
                return shown != nullptr;
            },
            kNewProgramShowsMs);
        return shown;
    }

    UnmanagedVigiloWindows unmanaged_;
    UninstallKeys uninstallKeys_;
    RunKeys runKeys_;
    IeExtensionKeys ieKeys_;
    HANDLE process_ = nullptr;
};

}  // namespace

TEST_F(SoakProgram, FiftyNotificationsOfMixedKindsLeaveVigilosResourcesWhereTheyWere) {
    StartVigilo();
    Open();
    const ProcessResources started = Resources();

    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestSoakEntry"));
    CloseTimedWindow("TForm2c");
    SetMachineString(std::string(kIeExtensionsKey) + TestAddOnId("SOAK"), "ButtonText", "Soak Button",
                     vigilo::RegistryView::k64Bit);
    CloseTimedWindow("TForm2b");

    ProcessResources warm;
    Register(0);
    for (int i = 0; i < kNewPrograms; ++i) {
        HWND form = WaitForProgram(i);
        ASSERT_NE(form, nullptr) << "program " << i << " was not shown";
        if (i + 1 < kNewPrograms) Register(i + 1);
        PostMessageA(form, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 5000)) << "program " << i;
        if (i + 1 == kWarmUpWindows) warm = Resources();
    }

    const ProcessResources end = Resources();
    EXPECT_TRUE(vigilo_->Running());
    EXPECT_LE(end.handles, warm.handles + 5);
    EXPECT_LE(end.gdiObjects, warm.gdiObjects + 5);
    EXPECT_LE(end.userObjects, warm.userObjects + 5);
    EXPECT_LE(end.windows, warm.windows);
    EXPECT_LT(end.workingSet, warm.workingSet + kWorkingSetGrowthLimit);
    std::printf("%s\n%s\n%s\n", Describe("started", started).c_str(), Describe("after warm-up", warm).c_str(),
                Describe("end", end).c_str());
    vigilo_->Stop();
}
