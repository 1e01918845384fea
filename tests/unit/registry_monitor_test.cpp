// The registry monitor cycle, run by a test monitor whose round records what
// it found, on scratch keys changed by another process or thread.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/monitor_groups.h"
#include "core/settings_store.h"
#include "app/monitor_wiring.h"
#include "platform/unique_handle.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;

class RegistryMonitor : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThreadCalls();
        ASSERT_TRUE(WaitUntil([] { return TThread::LiveCount() == 0; }, 15000));
    }
};

bool WaitWatching(const TestMonitor& monitor) {
    return WaitUntil([&] { return monitor.Watching(); }, 5000);
}

void AddKey(const std::string& path) { SetDword(kCu, path, "", 0); }

}  // namespace

TEST_F(RegistryMonitor, SubkeyAddedByAnotherProcessWakesItAndTheRoundFindsIt) {
    ScratchKey key("MonitorWakes");
    AddKey(key.Path() + "\\Existing");
    auto monitor = StartTestMonitor(kCu, key.Path());
    ASSERT_TRUE(WaitWatching(*monitor));

    ASSERT_TRUE(RegAddKey(key.Path() + "\\Newcomer"));
    ASSERT_TRUE(WaitUntil([&] { return monitor->Findings().size() == 1; }, 5000));
    EXPECT_EQ(monitor->Findings()[0], "Newcomer");

    // The next cycle takes Newcomer into its baseline and watches again.
    ASSERT_TRUE(WaitWatching(*monitor));
    EXPECT_TRUE(StopMonitors({monitor.get()}));
    EXPECT_EQ(monitor->Findings().size(), 1u);
}

TEST_F(RegistryMonitor, OfTwoSubkeysAddedBeforeOneRoundOnlyTheLastEnumeratedIsEverFound) {
    ScratchKey key("MonitorTwoAdded");
    UniqueKernelHandle gate(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto monitor = StartTestMonitor(kCu, key.Path(), [&](TestMonitor& m) { m.gate = gate.get(); });
    ASSERT_TRUE(WaitWatching(*monitor));

    AddKey(key.Path() + "\\Zeta");  // wakes the monitor; its round waits at the gate
    ASSERT_TRUE(WaitUntil([&] { return monitor->RoundsEntered() == 1; }, 5000));
    AddKey(key.Path() + "\\Alpha");  // added later, but enumerated first
    SetEvent(gate.get());
    ASSERT_TRUE(WaitUntil([&] { return monitor->Findings().size() == 1; }, 5000));
    EXPECT_EQ(monitor->Findings()[0], "Zeta");

    // Alpha went into the next baseline: a later round finds only the newer key.
    ASSERT_TRUE(WaitWatching(*monitor));
    AddKey(key.Path() + "\\Beta");
    ASSERT_TRUE(WaitUntil([&] { return monitor->Findings().size() == 2; }, 5000));
    EXPECT_EQ(monitor->Findings()[1], "Beta");
    EXPECT_TRUE(StopMonitors({monitor.get()}));
}

TEST_F(RegistryMonitor, ChangedValueDataAloneYieldsNoAddedName) {
    ScratchKey key("MonitorValueData");
    SetString(kCu, key.Path(), "Updater", "old.exe");
    AddKey(key.Path() + "\\Entry");
    auto monitor = StartTestMonitor(kCu, key.Path(), [](TestMonitor& m) { m.handOff = HandOffKind::Modal; });
    ASSERT_TRUE(WaitWatching(*monitor));

    SetString(kCu, key.Path(), "Updater", "new.exe");
    ASSERT_TRUE(WaitUntil([&] { return monitor->Findings().size() == 1; }, 5000));
    ASSERT_TRUE(WaitWatching(*monitor));
    SetString(kCu, key.Path() + "\\Entry", "DisplayName", "Changed inside an entry");
    ASSERT_TRUE(WaitUntil([&] { return monitor->Findings().size() == 2; }, 5000));

    EXPECT_EQ(monitor->Findings(), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(monitor->HandOffsDone(), 0);
    EXPECT_TRUE(StopMonitors({monitor.get()}));
}

TEST_F(RegistryMonitor, ValueListingMonitorFindsANewValueName) {
    ScratchKey key("MonitorValues");
    SetString(kCu, key.Path(), "Existing", "x.exe");
    std::unique_ptr<TestMonitor> monitor(new TestMonitor(&ListValueNames, 1000));
    ASSERT_TRUE(monitor->CreateSuspended());
    monitor->RootKey = kCu;
    monitor->KeyPath = key.Path();
    monitor->Resume();
    ASSERT_TRUE(WaitWatching(*monitor));

    SetString(kCu, key.Path(), "Updater", "updater.exe");
    ASSERT_TRUE(WaitUntil([&] { return monitor->Findings().size() == 1; }, 5000));
    EXPECT_EQ(monitor->Findings()[0], "Updater");
    EXPECT_TRUE(StopMonitors({monitor.get()}));
}

TEST_F(RegistryMonitor, ToldToTerminateItEndsWithinOneWaitSliceAndReleasesEverything) {
    ScratchKey key("MonitorTerminate");
    const long keysBefore = LiveHandleCount(HandleKind::Key);
    const long kernelBefore = LiveHandleCount(HandleKind::Kernel);
    auto monitor = StartTestMonitor(kCu, key.Path());
    ASSERT_TRUE(WaitWatching(*monitor));
    // The watched key and its parent (for its deletion), held while waiting.
    EXPECT_EQ(LiveHandleCount(HandleKind::Key), keysBefore + 2);

    const ULONGLONG asked = GetTickCount64();
    monitor->Terminate();
    ASSERT_TRUE(WaitUntil([&] { return monitor->Finished(); }, 3000));
    EXPECT_LE(GetTickCount64() - asked, monitor->WaitSlice() + 300);
    EXPECT_TRUE(monitor->Findings().empty());
    monitor.reset();
    EXPECT_EQ(LiveHandleCount(HandleKind::Key), keysBefore);
    EXPECT_EQ(LiveHandleCount(HandleKind::Kernel), kernelBefore);
}

TEST_F(RegistryMonitor, ToldToTerminateDuringARoundItSkipsTheHandOffAndEndsRightAfter) {
    ScratchKey key("MonitorTerminateInRound");
    UniqueKernelHandle gate(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto monitor = StartTestMonitor(kCu, key.Path(), [&](TestMonitor& m) {
        m.gate = gate.get();
        m.handOff = HandOffKind::Modal;
    });
    ASSERT_TRUE(WaitWatching(*monitor));

    AddKey(key.Path() + "\\Found");
    ASSERT_TRUE(WaitUntil([&] { return monitor->RoundsEntered() == 1; }, 5000));
    monitor->Terminate();
    const ULONGLONG released = GetTickCount64();
    SetEvent(gate.get());
    ASSERT_TRUE(WaitUntil([&] { return monitor->Finished(); }, 3000));
    EXPECT_LT(GetTickCount64() - released, 400u);  // no pause before ending
    EXPECT_EQ(monitor->Findings(), std::vector<std::string>{"Found"});
    EXPECT_EQ(monitor->HandOffsDone(), 0);
}

TEST_F(RegistryMonitor, AnErrorInARoundEndsTheThreadAndReleasesItsKeyAndEvent) {
    ScratchKey key("MonitorRoundFails");
    const long keysBefore = LiveHandleCount(HandleKind::Key);
    const long kernelBefore = LiveHandleCount(HandleKind::Kernel);
    auto monitor = StartTestMonitor(kCu, key.Path(), [](TestMonitor& m) { m.failInRound = true; });
    ASSERT_TRUE(WaitWatching(*monitor));

    AddKey(key.Path() + "\\Found");
    ASSERT_TRUE(WaitUntil([&] { return monitor->Finished(); }, 3000));
    EXPECT_TRUE(monitor->Findings().empty());
    monitor.reset();
    EXPECT_EQ(LiveHandleCount(HandleKind::Key), keysBefore);
    EXPECT_EQ(LiveHandleCount(HandleKind::Kernel), kernelBefore);
}

std::vector<std::string> Reported(const TestMonitor& monitor) {
    std::vector<std::string> reported;
    for (const std::string& found : monitor.Findings())
        if (!found.empty()) reported.push_back(found);
    return reported;
}

// Wine does not signal the deletion of the watched key itself: the parent's
// watch sees it. A key put back as it was reports nothing; one put back
// with a subkey it did not have reports that.
TEST_F(RegistryMonitor, WatchedKeyDeletedIsWaitedForAndItsReturnIsComparedWithTheLastListing) {
    ScratchKey key("MonitorDeleted");
    AddKey(key.Path() + "\\Entry");
    // Rounds pass the gate but when the key's return is being written: a key
    // and its subkey are made one level at a time.
    UniqueKernelHandle gate(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    auto monitor = StartTestMonitor(kCu, key.Path(), [&](TestMonitor& m) { m.gate = gate.get(); });
    ASSERT_TRUE(WaitWatching(*monitor));

    DeleteKeyTree(kCu, key.Path());
    ASSERT_TRUE(WaitUntil([&] { return monitor->Waiting(); }, 3000));
    AddKey(key.Path() + "\\Entry");
    ASSERT_TRUE(WaitWatching(*monitor));
    DeleteKeyTree(kCu, key.Path());
    ASSERT_TRUE(WaitUntil([&] { return monitor->Waiting(); }, 3000));
    ResetEvent(gate.get());
    AddKey(key.Path() + "\\Newcomer");
    SetEvent(gate.get());
    ASSERT_TRUE(WaitUntil([&] { return !Reported(*monitor).empty(); }, 3000));
    EXPECT_EQ(Reported(*monitor), std::vector<std::string>{"Newcomer"});
    EXPECT_FALSE(monitor->Finished());
    EXPECT_TRUE(StopMonitors({monitor.get()}));
}

// A key two levels short: the wait watches the nearest existing ancestor
// and moves down as levels come; a round finds all the key holds when it
// comes, which no listing of this run has seen.
TEST_F(RegistryMonitor, MissingKeyIsWaitedForWithoutARoundAndWhatItHoldsWhenItComesIsFound) {
    ScratchKey key("MonitorMissing");
    UniqueKernelHandle gate(CreateEventW(nullptr, TRUE, TRUE, nullptr));  // closed while a key is written
    auto monitor = StartTestMonitor(kCu, key.Path() + "\\Later\\Uninstall", [&](TestMonitor& m) { m.gate = gate.get(); });
    ASSERT_TRUE(WaitUntil([&] { return monitor->Waiting(); }, 3000));
    AddKey(key.Path() + "\\Later");
    EXPECT_FALSE(WaitUntil([&] { return monitor->RoundsEntered() > 0; }, 1000));
    EXPECT_TRUE(monitor->Waiting());
    ResetEvent(gate.get());
    AddKey(key.Path() + "\\Later\\Uninstall\\{Program}");
    SetEvent(gate.get());
    ASSERT_TRUE(WaitUntil([&] { return monitor->Findings().size() == 1; }, 3000));
    EXPECT_EQ(monitor->Findings()[0], "{Program}");
    EXPECT_TRUE(StopMonitors({monitor.get()}));
}

TEST_F(RegistryMonitor, RestartingTheGroupsLeavesExactlyOneThreadPerWatchedKey) {
    CleanSettings settings;
    ScratchKey first("GroupFirst"), second("GroupSecond");
    const MonitorFactory create = &CreateRegistryMonitor<TestMonitor>;
    MonitorGroups groups({
        {MonitorGroup::NewProgram, kCu, first.Path(), create},
        {MonitorGroup::NewProgram, kCu, second.Path(), create},
        {MonitorGroup::NewProgram, kCu, "Software\\VigiloTests\\GroupMissing", create},
        {MonitorGroup::Startup, kCu, first.Path(), create},
    });
    WriteBool(kSettingsRoot, kSettingsKey, "NewAppNotifier", true);
    WriteBool(kSettingsRoot, kSettingsKey, "StartupNotifier", false);

    groups.Restart();
    EXPECT_TRUE(groups.Running(MonitorGroup::NewProgram));
    EXPECT_FALSE(groups.Running(MonitorGroup::Startup));
    // The missing key's monitor waits for it.
    const std::vector<TThread*> firstThreads = groups.Threads();
    ASSERT_EQ(firstThreads.size(), 3u);
    ASSERT_TRUE(WaitUntil([] { return TThread::LiveCount() == 3; }, 3000));

    groups.Restart();
    const std::vector<TThread*> secondThreads = groups.Threads();
    ASSERT_EQ(secondThreads.size(), 3u);
    for (TThread* old : firstThreads) EXPECT_TRUE(old->Terminated());
    for (TThread* fresh : secondThreads) EXPECT_FALSE(fresh->Terminated());
    // The old threads end at their next check, within one wait slice.
    ASSERT_TRUE(WaitUntil([&] {
        return std::all_of(firstThreads.begin(), firstThreads.end(), [](TThread* t) { return t->Finished(); });
    }, 2500));
    // A thread counts as live once it runs: the fresh ones may not have started yet.
    EXPECT_TRUE(WaitUntil([] { return TThread::LiveCount() == 3; }, 2500));

    WriteBool(kSettingsRoot, kSettingsKey, "NewAppNotifier", false);
    groups.Restart();  // frees the ended threads; stops the group without starting it again
    EXPECT_FALSE(groups.Running(MonitorGroup::NewProgram));
    EXPECT_TRUE(groups.Threads().empty());
    EXPECT_TRUE(WaitUntil([] { return TThread::LiveCount() == 0; }, 2500));
}

TEST_F(RegistryMonitor, ASlotAddedToARunningGroupStartsAtOnceAndARemovedOneEnds) {
    CleanSettings settings;
    ScratchKey first("SlotFirst"), added("SlotAdded");
    const MonitorFactory create = &CreateRegistryMonitor<TestMonitor>;
    MonitorGroups groups({{MonitorGroup::Extension, kCu, first.Path(), create}});
    WriteBool(kSettingsRoot, kSettingsKey, "NewToolbarNotifier", true);
    groups.Restart();
    ASSERT_EQ(groups.Threads().size(), 1u);
    TThread* kept = groups.Threads()[0];

    groups.AddSlot({MonitorGroup::Extension, kCu, added.Path(), create});
    ASSERT_EQ(groups.Threads().size(), 2u);
    EXPECT_TRUE(WaitUntil([] { return TThread::LiveCount() == 2; }, 2500));
    groups.RemoveSlots([&](const MonitorSlot& slot) { return slot.keyOrFolder == first.Path(); });
    ASSERT_EQ(groups.Slots().size(), 1u);
    EXPECT_EQ(groups.Slots()[0].keyOrFolder, added.Path());
    EXPECT_TRUE(kept->Terminated());
    EXPECT_TRUE(WaitUntil([] { return TThread::LiveCount() == 1; }, 2500));
    groups.StopAll();
}
