// The folder monitor cycle, run by a test monitor whose round records what it
// found, on temporary folders changed by the test; and the choices of the
// Firefox and Chrome extension monitor.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>

#include "monitors/change_wait.h"
#include "monitors/extension_filters.h"
#include "monitors/ff_ext_mon_thread.h"
#include "monitors/folder_listing.h"
#include "monitors/folder_monitor.h"
#include "platform/unique_handle.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// A folder monitor with short wait slices whose round lists again and
// records the added name (empty when none).
class TestFolderMonitor : public TFolderMonitorThread {
public:
    explicit TestFolderMonitor(const std::string& folder, bool settle = false)
        : TFolderMonitorThread(300), settle_(settle) {
        WatchFolder = folder;
        CreateSuspended();
        Resume();
    }
    ~TestFolderMonitor() override {
        Terminate();
        WaitForSingleObject(ThreadHandle(), 10000);
    }
    std::vector<std::string> Findings() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return findings_;
    }

protected:
    void Round() override {
        std::string added;
        if (settle_) {
            added = SettleAndFindAdded();
        } else {
            StringList fresh;
            ListFolderNames(WatchFolder, fresh);
            added = FindAdded(Snapshot, fresh);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        findings_.push_back(added);
    }

private:
    bool settle_;
    mutable std::mutex mutex_;
    std::vector<std::string> findings_;
};

bool WaitWatching(const TFolderMonitorThread& monitor) {
    return WaitUntil([&] { return monitor.Watching(); }, 5000);
}

}  // namespace

TEST(FolderListing, ListsFilesAndFoldersOfEveryKindButNotTheFolderItself) {
    TempFolder folder;
    folder.Write("a.xpi", "x");
    folder.Write("hidden.txt", "x");
    SetFileAttributesA(folder.File("hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryA(folder.File("abcdef").c_str(), nullptr);
    CreateDirectoryA(folder.File("abcdef\\1.0").c_str(), nullptr);
    StringList list{"stale"};
    EXPECT_EQ(3, ListFolderNames(folder.Path() + "\\", list));
    std::sort(list.begin(), list.end());
    EXPECT_EQ(list, (StringList{"a.xpi", "abcdef", "hidden.txt"}));
    EXPECT_EQ(0, ListFolderNames(folder.Path() + "\\absent\\", list));
    EXPECT_TRUE(list.empty());
}

TEST(FolderMonitor, NewEntriesWakeItButChangedContentsDoNot) {
    TempFolder folder;
    folder.Write("existing.xpi", "x");
    TestFolderMonitor monitor(folder.Path() + "\\");
    ASSERT_TRUE(WaitWatching(monitor));

    folder.Write("existing.xpi", "new contents");
    EXPECT_FALSE(WaitUntil([&] { return !monitor.Findings().empty(); }, 1500));

    CreateDirectoryA(folder.File("newcomer").c_str(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return monitor.Findings().size() == 1; }, 5000));
    EXPECT_EQ(monitor.Findings()[0], "newcomer");
    ASSERT_TRUE(WaitWatching(monitor));
    folder.Write("second.xpi", "x");
    ASSERT_TRUE(WaitUntil([&] { return monitor.Findings().size() == 2; }, 5000));
    EXPECT_EQ(monitor.Findings()[1], "second.xpi");
}

// A watched folder can leave its path without a signal: moved away (as to
// the Recycle Bin, where the watch follows it) or removed behind Wine's back.
// The monitor waits for it on its parent; what it holds when it is back is
// compared with the last listing: a restored folder reports nothing, one
// made again with an entry it did not hold reports that entry.
TEST(FolderMonitor, FolderGoneAndBackIsComparedWithItsLastListing) {
    TempFolder parent;
    const std::string watched = parent.File("Extensions");
    MakeFolders(watched + "\\kept\\");
    TestFolderMonitor monitor(watched + "\\");
    ASSERT_TRUE(WaitWatching(monitor));

    ASSERT_TRUE(MoveFileA(watched.c_str(), parent.File("Recycled").c_str()));
    ASSERT_TRUE(WaitUntil([&] { return monitor.Waiting(); }, 3000));
    ASSERT_TRUE(MoveFileA(parent.File("Recycled").c_str(), watched.c_str()));
    ASSERT_TRUE(WaitUntil([&] { return monitor.Findings().size() == 1; }, 3000));
    ASSERT_TRUE(WaitWatching(monitor));

    ASSERT_TRUE(MoveFileA(watched.c_str(), parent.File("Recycled2").c_str()));
    ASSERT_TRUE(WaitUntil([&] { return monitor.Waiting(); }, 3000));
    MakeFolders(parent.File("Staged") + "\\fresh\\");
    ASSERT_TRUE(MoveFileA(parent.File("Staged").c_str(), watched.c_str()));
    ASSERT_TRUE(WaitUntil([&] { return monitor.Findings().size() == 2; }, 3000));
    EXPECT_EQ(monitor.Findings(), (std::vector<std::string>{"", "fresh"}));
}

// A folder whose parent is missing too: the wait moves down as levels come.
TEST(FolderMonitor, MissingFolderIsWaitedForAndWhatItHoldsWhenItComesIsFound) {
    TempFolder root;
    TestFolderMonitor monitor(root.File("Profile\\extensions") + "\\");
    ASSERT_TRUE(WaitUntil([&] { return monitor.Waiting(); }, 3000));
    MakeFolders(root.File("Profile") + "\\");
    EXPECT_FALSE(WaitUntil([&] { return !monitor.Findings().empty(); }, 1000));
    MakeFolders(root.File("Staged") + "\\addon\\");
    ASSERT_TRUE(MoveFileA(root.File("Staged").c_str(), root.File("Profile\\extensions").c_str()));
    ASSERT_TRUE(WaitUntil([&] { return !monitor.Findings().empty(); }, 3000));
    EXPECT_EQ(monitor.Findings(), std::vector<std::string>{"addon"});
}

TEST(FolderMonitor, ToldToTerminateItEndsWithinOneWaitSliceAndReleasesItsWatch) {
    TempFolder folder;
    const long watchesBefore = LiveHandleCount(HandleKind::ChangeNotification);
    const long findsBefore = LiveHandleCount(HandleKind::Find);
    auto monitor = std::make_unique<TestFolderMonitor>(folder.Path() + "\\");
    ASSERT_TRUE(WaitWatching(*monitor));
    // The folder and its parent (for the folder leaving), watched while waiting.
    EXPECT_EQ(LiveHandleCount(HandleKind::ChangeNotification), watchesBefore + 2);

    const ULONGLONG asked = GetTickCount64();
    monitor->Terminate();
    ASSERT_TRUE(WaitUntil([&] { return monitor->Finished(); }, 3000));
    EXPECT_LE(GetTickCount64() - asked, monitor->WaitSlice() + 300);
    monitor.reset();
    EXPECT_EQ(LiveHandleCount(HandleKind::ChangeNotification), watchesBefore);
    EXPECT_EQ(LiveHandleCount(HandleKind::Find), findsBefore);
}

// A restart or shutdown need not wait out the six seconds a new entry is given.
TEST(FolderMonitor, ToldToTerminateDuringTheSettleDelayItEndsAtOnceWithoutAFinding) {
    TempFolder folder;
    TestFolderMonitor monitor(folder.Path() + "\\", true);
    ASSERT_TRUE(WaitWatching(monitor));
    folder.Write("fresh.lnk", "x");
    ASSERT_TRUE(WaitUntil([&] { return !monitor.Watching(); }, 5000));  // the round has begun
    const ULONGLONG asked = GetTickCount64();
    monitor.Terminate();
    ASSERT_TRUE(WaitUntil([&] { return monitor.Finished(); }, 8000));
    EXPECT_LT(GetTickCount64() - asked, 1000u);
    EXPECT_EQ(monitor.Findings(), std::vector<std::string>{""});
}

// The parent watched for a folder's removal: "D:" alone would name the
// current folder of drive D, not its root.
TEST(FolderMonitor, TheParentOfAFolderAtARootIsTheRoot) {
    EXPECT_EQ(ParentFolderPath("D:\\extensions\\"), "D:\\");
    EXPECT_EQ(ParentFolderPath("D:\\extensions"), "D:\\");
    EXPECT_EQ(ParentFolderPath("D:\\Profiles\\extensions\\"), "D:\\Profiles");
    EXPECT_EQ(ParentFolderPath("\\\\server\\share\\extensions\\"), "\\\\server\\share\\");
    EXPECT_EQ(ParentFolderPath("D:\\"), "");
    EXPECT_EQ(ParentFolderPath("\\\\server\\share\\"), "");
}

TEST(FolderExtensions, TempDefaultAndTheExcludedExtensionAreNotReportedInAnyLetterCase) {
    for (const char* entry :
         {"", "Temp", "temp", "TEMP", "Default", "default", "LockBox-Vaults", "my-lockbox-VAULTS.xpi"})
        EXPECT_FALSE(IsReportedFolderEntry(entry)) << entry;
    for (const char* entry : {"Temporary", "Default2", "lockbox", "aapdnoekcdfgbkefnceljmfbmkpjmdip", "x@y.xpi"})
        EXPECT_TRUE(IsReportedFolderEntry(entry)) << entry;
}

TEST(FolderExtensions, AFolderWhosePathMentionsGoogleInAnyCaseIsChromes) {
    EXPECT_EQ(BrowserNameForFolder("C:\\Users\\u\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\Extensions\\"),
              "Google Chrome");
    EXPECT_EQ(BrowserNameForFolder("C:\\Roaming\\Mozilla\\Firefox\\Profiles\\googleprofile\\extensions\\"),
              "Google Chrome");
    EXPECT_EQ(BrowserNameForFolder("C:\\Roaming\\Mozilla\\Firefox\\Profiles\\a.default\\extensions\\"),
              "Mozilla Firefox");
    TFFExtMonThread monitor;
    monitor.WatchFolder = "D:\\GoOgLe\\extensions\\";
    EXPECT_EQ(monitor.BrowserName(), "Google Chrome");
    EXPECT_EQ(monitor.WaitSlice(), 10000u);
}
