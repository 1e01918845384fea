// The startup-entry monitor on a scratch key: which new values it reports,
// when, and which it keeps quiet about.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/setting_names.h"
#include "core/settings_store.h"
#include "monitors/startup_mon_thread.h"
#include "platform/window.h"
#include "support/notify_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;

class StartupMonitor : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThreadCalls();
        ASSERT_TRUE(WaitUntil([] { return TThread::LiveCount() == 0; }, 15000));
        WriteBool(kSettingsRoot, kSettingsKey, settings::kStartupNotifier, true);
        SetString(kCu, key_.Path(), "Existing", "C:\\Tools\\existing.exe");
        SetString(kCu, key_.Path(), "Leaving", "C:\\Tools\\leaving.exe");
        monitor_ = std::make_unique<TStartupMonThread>();
        ASSERT_TRUE(monitor_->CreateSuspended());
        monitor_->RootKey = kCu;
        monitor_->KeyPath = key_.Path();
        monitor_->OnFound = [this](const TStartupMonThread& m) {
            found_.push_back(m.ProgramName);
            onMainThread_ = onMainThread_ && OnMainThread();
        };
        monitor_->Resume();
        ASSERT_TRUE(WaitUntil([&] { return monitor_->Watching(); }, 5000));
    }
    void TearDown() override {
        monitor_->Terminate();
        EXPECT_TRUE(WaitUntil([&] { return monitor_->Finished(); }, 5000));
    }
    void Add(const std::string& name) { SetString(kCu, key_.Path(), name, "C:\\Tools\\" + name + ".exe"); }
    // The round for the last change is over and the next baseline is watched.
    bool NextCycle() {
        return WaitUntil([&] { return !monitor_->Watching(); }, 3000) &&
               WaitUntil([&] { return monitor_->Watching(); }, 5000);
    }

    CleanSettings settings_;
    ScratchKey key_{"StartupMonitor"};
    ProgramFolder folder_{false};
    std::unique_ptr<TStartupMonThread> monitor_;
    std::vector<std::string> found_;
    bool onMainThread_ = true;
};

// A window like Purgeon's main window, which exists while Purgeon runs.
class PurgeonWindow : public Window {
public:
    PurgeonWindow() {
        RegisterClassOnce("TForm1a");
        CreateHandle("TForm1a", "Purgeon", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 10, 10);
    }
    ~PurgeonWindow() override { DestroyHandle(); }
};

}  // namespace

TEST_F(StartupMonitor, ReportsANewValueByItsOwnNameOnTheMainThreadWithoutDelay) {
    const ULONGLONG start = GetTickCount64();
    Add("MyUpdater");
    ASSERT_TRUE(WaitUntil([&] { return !found_.empty(); }, 5000));
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_EQ(found_, std::vector<std::string>{"MyUpdater"});
    EXPECT_TRUE(onMainThread_);
    EXPECT_EQ(monitor_->WaitSlice(), 1000u);
}

TEST_F(StartupMonitor, ChangedDataAndDeletedValuesAreNotReported) {
    SetString(kCu, key_.Path(), "Existing", "C:\\Tools\\existing.exe /quiet");
    ASSERT_TRUE(NextCycle());
    RegDeleteKeyValueA(kCu, key_.Path().c_str(), "Leaving");
    ASSERT_TRUE(NextCycle());
    Add("Newcomer");
    ASSERT_TRUE(WaitUntil([&] { return !found_.empty(); }, 5000));
    EXPECT_EQ(found_, std::vector<std::string>{"Newcomer"});
}

// The setting does not silence the monitor: the hand-off records what it
// reports, and shows it only while the setting is on.
TEST_F(StartupMonitor, ExcludedNamesAndPurgeonRunningSilenceItButTheSettingOffDoesNot) {
    WriteFile(folder_.Path() + "\\SList.txt", "[OptFr]\r\nupdat=1\r\n");
    Add("AutoUPDATEr");
    ASSERT_TRUE(NextCycle());
    {
        PurgeonWindow purgeon;
        Add("WhilePurgeonRuns");
        ASSERT_TRUE(NextCycle());
    }
    WriteBool(kSettingsRoot, kSettingsKey, settings::kStartupNotifier, false);
    Add("SwitchedOff");
    ASSERT_TRUE(NextCycle());
    WriteBool(kSettingsRoot, kSettingsKey, settings::kStartupNotifier, true);
    Add("Heard");
    ASSERT_TRUE(WaitUntil([&] { return found_.size() == 2; }, 5000));
    EXPECT_EQ(found_, (std::vector<std::string>{"SwitchedOff", "Heard"}));
}
