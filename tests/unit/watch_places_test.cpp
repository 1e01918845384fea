// The watch engine on real places: scratch registry keys changed by another
// process or thread, and temporary folders; the groups that start and stop
// the watches; and the choices of the extension folders' rule.
#include <gtest/gtest.h>

#include <atomic>

#include <algorithm>

#include "app/monitor_groups.h"
#include "core/settings_store.h"
#include "monitors/change_wait.h"
#include "monitors/finding_rules.h"
#include "platform/unique_handle.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
using Names = std::vector<std::string>;

// A watch of one real place whose findings are every added name, kept nowhere.
class PlaceWatcher {
public:
    PlaceWatcher(const PlaceSpec& spec, std::unique_ptr<Place> place, WatchRules rules = {0, &EveryAddedName}) {
        InitMainThreadCalls();
        watch_ = StartWatch(std::move(place), spec, rules, recorder_, nullptr);
    }
    ~PlaceWatcher() { StopThreads({watch_.get()}); }
    Watch& Get() { return *watch_; }
    bool Watching() const { return WaitUntil([&] { return watch_->Watching(); }, 5000); }
    bool Waiting() const { return WaitUntil([&] { return watch_->Waiting(); }, 5000); }
    ::testing::AssertionResult Reported(const Names& names) const {
        if (WaitUntil([&] { return recorder_.Names() == names; }, 5000)) return ::testing::AssertionSuccess();
        std::string got;
        for (const std::string& name : recorder_.Names()) got += " \"" + name + "\"";
        return ::testing::AssertionFailure() << "reported:" << got;
    }
    HandOffRecorder recorder_;

private:
    std::unique_ptr<Watch> watch_;
};

PlaceWatcher WatchFolder(const std::string& folder, WatchRules rules = {0, &EveryAddedName}) {
    const PlaceSpec spec{nullptr, folder + "\\"};
    return PlaceWatcher(spec, MakeFolderPlace(spec, FolderChanges::Entries), rules);
}

PlaceWatcher WatchKey(const std::string& path) {
    const PlaceSpec spec{kCu, path};
    return PlaceWatcher(spec, MakeKeyPlace(spec, KeyListing::Subkeys, KeyChanges::Subtree));
}

void AddKey(const std::string& path) { SetDword(kCu, path, "", 0); }

}  // namespace

TEST(FolderListing, ListsFilesAndFoldersOfEveryKindButNotTheFolderItself) {
    TempFolder folder;
    folder.Write("a.xpi", "x");
    folder.Write("hidden.txt", "x");
    SetFileAttributesA(folder.File("hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryA(folder.File("abcdef").c_str(), nullptr);
    CreateDirectoryA(folder.File("abcdef\\1.0").c_str(), nullptr);
    Names names;
    for (const ListedEntry& entry : MakeFolderPlace({nullptr, folder.Path() + "\\"}, FolderChanges::Entries)->List({}).entries)
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"a.xpi", "abcdef", "hidden.txt"}));
}

namespace {
std::atomic<int> g_rounds{0};
// A rule that counts the rounds that ran it.
std::vector<Finding> CountRounds(const RoundSight&) {
    ++g_rounds;
    return {};
}
}  // namespace

TEST(FolderWatch, NewEntriesWakeItButChangedContentsDoNot) {
    TempFolder folder;
    folder.Write("existing.xpi", "x");
    PlaceWatcher changes = WatchFolder(folder.Path(), {0, &CountRounds});
    ASSERT_TRUE(changes.Watching());
    const int rounds = g_rounds;
    folder.Write("existing.xpi", "new contents");
    EXPECT_FALSE(WaitUntil([&] { return g_rounds > rounds; }, 1500));

    PlaceWatcher watcher = WatchFolder(folder.Path());
    ASSERT_TRUE(watcher.Watching());
    CreateDirectoryA(folder.File("newcomer").c_str(), nullptr);
    folder.Write("second.xpi", "x");
    ASSERT_TRUE(watcher.Reported({"newcomer", "second.xpi"}));
}

// A watched folder can leave its path without a signal: moved away (as to
// the Recycle Bin, where its notification follows it) or removed behind
// Wine's back. What it holds when it is back is compared with the last
// listing: a restored folder reports nothing, another one made at its path
// reports what it holds, and is the one watched from then on.
TEST(FolderWatch, AFolderMovedAwayAndBackOrMadeAgainIsComparedWithItsLastListingAndWatchedAnew) {
    TempFolder parent;
    const std::string watched = parent.File("Extensions");
    MakeFolders(watched + "\\kept\\");
    PlaceWatcher watcher = WatchFolder(watched);
    ASSERT_TRUE(watcher.Watching());

    ASSERT_TRUE(MoveFileA(watched.c_str(), parent.File("Recycled").c_str()));
    ASSERT_TRUE(watcher.Waiting());
    ASSERT_TRUE(MoveFileA(parent.File("Recycled").c_str(), watched.c_str()));
    ASSERT_TRUE(watcher.Watching());

    // Renamed away and made again at once: its old notification would follow the renamed one.
    MakeFolders(parent.File("Staged") + "\\fresh\\");
    ASSERT_TRUE(MoveFileA(watched.c_str(), parent.File("Recycled2").c_str()));
    ASSERT_TRUE(MoveFileA(parent.File("Staged").c_str(), watched.c_str()));
    ASSERT_TRUE(watcher.Reported({"fresh"}));
    ASSERT_TRUE(watcher.Watching());
    CreateDirectoryA((watched + "\\later").c_str(), nullptr);
    CreateDirectoryA(parent.File("Recycled2\\into the old one").c_str(), nullptr);
    EXPECT_TRUE(watcher.Reported({"fresh", "later"}));
}

// A folder whose parent is missing too: the wait moves down as levels come.
TEST(FolderWatch, MissingFolderIsWaitedForAndWhatItHoldsWhenItComesIsFound) {
    TempFolder root;
    PlaceWatcher watcher = WatchFolder(root.File("Profile\\extensions"));
    ASSERT_TRUE(watcher.Waiting());
    MakeFolders(root.File("Profile") + "\\");
    EXPECT_FALSE(WaitUntil([&] { return !watcher.recorder_.Names().empty(); }, 1000));
    MakeFolders(root.File("Staged") + "\\addon\\");
    ASSERT_TRUE(MoveFileA(root.File("Staged").c_str(), root.File("Profile\\extensions").c_str()));
    EXPECT_TRUE(watcher.Reported({"addon"}));
}

TEST(FolderWatch, ToldToTerminateItEndsAtOnceAndReleasesItsWatch) {
    TempFolder folder;
    const long watchesBefore = LiveHandleCount(HandleKind::ChangeNotification);
    {
        PlaceWatcher watcher = WatchFolder(folder.Path());
        ASSERT_TRUE(watcher.Watching());
        // The folder and its parent (for the folder leaving).
        EXPECT_EQ(LiveHandleCount(HandleKind::ChangeNotification), watchesBefore + 2);
        const ULONGLONG asked = GetTickCount64();
        ASSERT_TRUE(StopThreads({&watcher.Get()}, 3000));
        EXPECT_LT(GetTickCount64() - asked, 1000u);
    }
    EXPECT_EQ(LiveHandleCount(HandleKind::ChangeNotification), watchesBefore);
}

// A restart or shutdown need not wait out the six seconds a new entry is given.
TEST(FolderWatch, ToldToTerminateDuringTheSettleDelayItEndsAtOnceWithoutAFinding) {
    TempFolder folder;
    PlaceWatcher watcher = WatchFolder(folder.Path(), {6, &EveryAddedName});
    ASSERT_TRUE(watcher.Watching());
    folder.Write("fresh.lnk", "x");
    ASSERT_TRUE(WaitUntil([&] { return !watcher.Get().Watching(); }, 5000));  // the round has begun
    const ULONGLONG asked = GetTickCount64();
    ASSERT_TRUE(StopThreads({&watcher.Get()}, 8000));
    EXPECT_LT(GetTickCount64() - asked, 1000u);
    EXPECT_TRUE(watcher.recorder_.Names().empty());
}

// The parent watched for a folder's removal: "D:" alone would name the
// current folder of drive D, not its root.
TEST(FolderWatch, TheParentOfAFolderAtARootIsTheRoot) {
    EXPECT_EQ(ParentFolderPath("D:\\extensions\\"), "D:\\");
    EXPECT_EQ(ParentFolderPath("D:\\extensions"), "D:\\");
    EXPECT_EQ(ParentFolderPath("D:\\Profiles\\extensions\\"), "D:\\Profiles");
    EXPECT_EQ(ParentFolderPath("\\\\server\\share\\extensions\\"), "\\\\server\\share\\");
    EXPECT_EQ(ParentFolderPath("D:\\"), "");
    EXPECT_EQ(ParentFolderPath("\\\\server\\share\\"), "");
}

TEST(KeyWatch, ASubkeyAddedByAnotherProcessWakesIt) {
    ScratchKey key("WatchWakes");
    AddKey(key.Path() + "\\Existing");
    PlaceWatcher watcher = WatchKey(key.Path());
    ASSERT_TRUE(watcher.Watching());
    ASSERT_TRUE(RegAddKey(key.Path() + "\\Newcomer"));
    EXPECT_TRUE(watcher.Reported({"Newcomer"}));
}

// Wine does not signal the deletion of the watched key itself: the parent's
// watch sees it. A key put back as it was reports nothing; one put back
// with a subkey it did not have reports that.
TEST(KeyWatch, DeletedItIsWaitedForAndItsReturnIsComparedWithTheLastListing) {
    ScratchKey key("WatchDeleted");
    AddKey(key.Path() + "\\Entry");
    PlaceWatcher watcher = WatchKey(key.Path());
    ASSERT_TRUE(watcher.Watching());
    DeleteKeyTree(kCu, key.Path());
    ASSERT_TRUE(watcher.Waiting());
    AddKey(key.Path() + "\\Entry");
    ASSERT_TRUE(watcher.Watching());
    DeleteKeyTree(kCu, key.Path());
    ASSERT_TRUE(watcher.Waiting());
    AddKey(key.Path() + "\\Newcomer");
    EXPECT_TRUE(watcher.Reported({"Newcomer"}));
    EXPECT_FALSE(watcher.Get().Finished());
}

// A key two levels short: the wait watches the nearest existing ancestor
// and moves down as levels come.
TEST(KeyWatch, MissingKeyIsWaitedForAndWhatItHoldsWhenItComesIsFound) {
    ScratchKey key("WatchMissing");
    PlaceWatcher watcher = WatchKey(key.Path() + "\\Later\\Uninstall");
    ASSERT_TRUE(watcher.Waiting());
    AddKey(key.Path() + "\\Later");
    EXPECT_TRUE(watcher.Waiting());
    AddKey(key.Path() + "\\Later\\Uninstall\\{Program}");
    EXPECT_TRUE(watcher.Reported({"{Program}"}));
}

TEST(MonitorGroups, RestartingLeavesExactlyOneWatchPerPlaceAndASlotComesAndGoesWhileRunning) {
    CleanSettings settings;
    InitMainThreadCalls();
    ASSERT_TRUE(WaitUntil([] { return MonitorThread::LiveCount() == 0; }, 15000));
    ScratchKey first("GroupFirst"), second("GroupSecond"), added("GroupAdded");
    HandOffRecorder recorder;
    const WatchKind programs{"test programs", FindingKind::Program, KeyPlaces{{}, KeyListing::Subkeys, KeyChanges::Subtree},
                             0, &EveryAddedName};
    WatchKind startup = programs;
    startup.finding = FindingKind::Startup;
    MonitorGroups groups({{&programs, nullptr, {kCu, first.Path()}},
                          {&programs, nullptr, {kCu, second.Path()}},
                          {&programs, nullptr, {kCu, "Software\\VigiloTests\\GroupMissing"}},
                          {&startup, nullptr, {kCu, first.Path()}}},
                         [&](const MonitorSlot& slot) -> std::unique_ptr<MonitorThread> {
                             auto watch = std::make_unique<Watch>(
                                 MakePlace(*slot.kind, slot.place), slot.place,
                                 WatchRules{0, &EveryAddedName}, recorder.Get(), nullptr);
                             if (!watch->CreateSuspended()) return nullptr;
                             return watch;
                         });
    WriteBool(kSettingsRoot, kSettingsKey, "NewAppNotifier", true);
    WriteBool(kSettingsRoot, kSettingsKey, "StartupNotifier", false);

    EXPECT_EQ(groups.Restart(), "");
    EXPECT_TRUE(groups.Running(FindingKind::Program));
    EXPECT_FALSE(groups.Running(FindingKind::Startup));
    const std::vector<MonitorThread*> firstThreads = groups.Threads();
    ASSERT_EQ(firstThreads.size(), 3u);  // the missing key's watch waits for it
    ASSERT_TRUE(WaitUntil([] { return MonitorThread::LiveCount() == 3; }, 3000));

    groups.Restart();
    ASSERT_EQ(groups.Threads().size(), 3u);
    for (MonitorThread* old : firstThreads) EXPECT_TRUE(old->Terminated());
    EXPECT_TRUE(WaitUntil([&] {
        return std::all_of(firstThreads.begin(), firstThreads.end(), [](MonitorThread* t) { return t->Finished(); });
    }, 1000));
    EXPECT_TRUE(WaitUntil([] { return MonitorThread::LiveCount() == 3; }, 2500));

    groups.AddSlot({&programs, nullptr, {kCu, added.Path()}});
    EXPECT_TRUE(WaitUntil([] { return MonitorThread::LiveCount() == 4; }, 2500));
    groups.RemoveSlots([&](const MonitorSlot& slot) { return slot.place.path == first.Path(); });
    EXPECT_TRUE(WaitUntil([] { return MonitorThread::LiveCount() == 3; }, 2500));

    // A notifier setting that cannot be read stops its group only.
    SetString(kCu, "Software\\Purgeon", "StartupNotifier", "1");
    EXPECT_EQ(groups.Restart(), "Invalid data type for 'StartupNotifier'");
    EXPECT_TRUE(groups.Running(FindingKind::Program));
    WriteBool(kSettingsRoot, kSettingsKey, "NewAppNotifier", false);
    groups.Restart();  // frees the ended threads; stops the group without starting it again
    EXPECT_TRUE(groups.Threads().empty());
    EXPECT_TRUE(WaitUntil([] { return MonitorThread::LiveCount() == 0; }, 2500));
}

TEST(FolderExtensions, TempDefaultAndTheExcludedExtensionAreNotReportedInAnyLetterCase) {
    for (const char* entry :
         {"", "Temp", "temp", "TEMP", "Default", "default", "LockBox-Vaults", "my-lockbox-VAULTS.xpi"})
        EXPECT_FALSE(IsReportedFolderEntry(entry)) << entry;
    for (const char* entry : {"Temporary", "Default2", "lockbox", "aapdnoekcdfgbkefnceljmfbmkpjmdip", "x@y.xpi"})
        EXPECT_TRUE(IsReportedFolderEntry(entry)) << entry;
}

