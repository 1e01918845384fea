// The junk-file check driven directly, one tick per Run() and, when it
// walks, WalkEnded() once the walk has ended on its thread: what the cache
// walk counts, the six-hour rule, the three caches and the 100 MiB
// threshold, what postpones a notification, and the three rules that keep
// it from nagging: the opt-out read at every tick, no tick inside a check,
// and a stored time that is no date taken as long ago.
#include <gtest/gtest.h>
#include "core/path_set.h"
#include <utility>

#include <atomic>
#include <limits>
#include <optional>
#include <vector>

#include "core/notification_busy.h"
#include "core/settings_store.h"
#include "monitors/cache_size.h"
#include "monitors/junk_check.h"
#include "platform/message_loop.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;
using Outcome = JunkCheck::Outcome;

namespace {

const std::string kSettings = "Software\\Purgeon";
constexpr long long kMiB = 1048576;
constexpr DateTime kSixHours = 0.25, kSixHoursLessAMinute = 359.0 / 1440;

void Junk(const std::string& folder, const char* name, long long size) {
    ASSERT_TRUE(MakeFolders(folder));
    ASSERT_TRUE(WriteSparseFile(folder + name, size));
}

// A folder by a path the 8-bit API may refuse, with a file "f" of size (at most 4) bytes.
void MakeLongFolder(const std::string& path, DWORD size) {
    const std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
    HANDLE file = CreateFileW((wide + L"\\f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "xxxx", size, &written, nullptr);
    CloseHandle(file);
}

// One whole tick, as the main window runs it: Run, and when it walks, the rest
// once the walk has ended (the form learns it from the walk's message).
Outcome RunToEnd(JunkCheck& check) {
    const Outcome first = check.Run();
    if (first != Outcome::Walking) return first;
    std::optional<Outcome> rest;
    EXPECT_TRUE(WaitUntil([&] { return (rest = check.WalkEnded()).has_value(); }, 30000));
    return rest.value_or(Outcome::Abandoned);
}
Outcome RunToEnd(JunkCheck&& check) { return RunToEnd(check); }

}  // namespace

TEST(CacheSize, CountsEveryFileButTheCachesBookkeeping) {
    TempFolder root;
    const std::string folder = root.Path() + "\\";
    Junk(folder, "cache_map", 1000);
    ASSERT_TRUE(WriteSparseFile(folder + "hidden", 2000, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    Junk(folder + "sub\\deeper\\", "inner", 4000);
    Junk(folder, "huge", 5LL << 30);  // whole from the directory entry beyond 4 GiB
    for (const char* name : {"index.dat", "Index.Dat", "_CACHE_001_", "abc_cache_x"}) Junk(folder, name, kMiB);
    EXPECT_EQ(MeasureFolder(folder, nullptr), 7000 + (5LL << 30));
    EXPECT_EQ(MeasureFolder(folder + "missing\\", nullptr), 0);
}

TEST(CacheSize, FolderPathsOfTwoHundredFiftySixCharactersAreNotEntered) {
    TempFolder root;
    const std::string folder = root.Path() + "\\";
    const std::string entered = folder + std::string(255 - folder.size(), 'a');
    const std::string skipped = folder + std::string(256 - folder.size(), 'b');
    MakeLongFolder(entered, 3);
    MakeLongFolder(skipped, 4);
    EXPECT_EQ(MeasureFolder(folder, nullptr), 3);
}

namespace {

// A check over the caches of a temporary profile, with a clock of its own;
// the window it shows is a record taken under the real busy flag.
class JunkCheckTick : public ::testing::Test {
protected:
    void SetUp() override {
        ResetApplicationState();
        SetDword(HKEY_CURRENT_USER, kSettings, "CacheNotifier", 1);
        StoreLast(stale_);
    }
    void TearDown() override { ResetApplicationState(); }

    JunkCheck MakeCheck() {
        ShellFolders shell{"", InternetCache(), root_.Path() + "\\Local", root_.Path() + "\\Roaming"};
        return JunkCheck(
            [folders = JunkFolders(BuildPathSet(root_.Path(), shell))] { return folders; },
            [this](std::int64_t size) {
                if (NotificationBusy()) return false;
                shown_.push_back(size);
                if (duringWindow_) duringWindow_();
                return true;
            },
            {}, [this] { return now_; });
    }
    std::string InternetCache() const { return root_.Path() + "\\INetCache\\"; }
    static void StoreLast(DateTime value) {
        SetRaw(HKEY_CURRENT_USER, kSettings, "LastCacheNotification", REG_BINARY, &value, sizeof(value));
    }
    static DateTime StoredLast() { return ReadFloat(kSettingsRoot, kSettingsKey, "LastCacheNotification"); }

    CleanSettings settings_;
    TempFolder root_;
    DateTime now_ = 45000.5;
    const DateTime stale_ = 45000.5 - 7.0 / 24;  // stored at the start: the check is due
    std::vector<std::int64_t> shown_;
    std::function<void()> duringWindow_;
};

}  // namespace

TEST_F(JunkCheckTick, MeasuresOnceSixHoursHavePassedEitherWayOrTheStoredTimeIsNoDate) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    StoreLast(now_ - kSixHoursLessAMinute);
    EXPECT_EQ(Outcome::TooSoon, RunToEnd(check));
    constexpr DateTime kNaN = std::numeric_limits<double>::quiet_NaN(), kInf = std::numeric_limits<double>::infinity();
    for (DateTime last : {now_ - kSixHours, now_ + 7.0 / 24, kNaN, kInf, -kInf, 1e300}) {
        StoreLast(last);
        EXPECT_EQ(Outcome::Shown, RunToEnd(check)) << last;
    }
}

TEST_F(JunkCheckTick, ShowsMoreThanOneHundredMebibytesAcrossTheThreeCaches) {
    const std::string firefox = root_.Path() + "\\Roaming\\Mozilla\\Firefox\\";
    ASSERT_TRUE(MakeFolders(firefox));
    WriteFile(firefox + "profiles.ini", "[Profile0]\r\nPath=Profiles/t.default\r\n");
    Junk(firefox + "Profiles\\t.default\\Cache\\", "old", 500 * kMiB);  // Cache2 is measured instead
    Junk(firefox + "Profiles\\t.default\\Cache2\\entries\\", "a", 40 * kMiB);
    Junk(InternetCache(), "b", 30 * kMiB);
    Junk(root_.Path() + "\\Local\\Google\\Chrome\\User Data\\Default\\Cache\\", "c", 30 * kMiB);
    EXPECT_EQ(Outcome::LittleJunk, RunToEnd(MakeCheck()));
    EXPECT_EQ(stale_, StoredLast());

    Junk(InternetCache(), "d", 1);
    EXPECT_EQ(Outcome::Shown, RunToEnd(MakeCheck()));
    EXPECT_EQ(std::vector<std::int64_t>{104857601}, shown_);
}

// Firefox keeps a profile's cache in the local application data folder, or,
// for a profile stored by absolute path, in the profile itself: there it is
// the design's Cache2 folder too, and Chrome's Default cache is both the
// design's and a profile's. Each counts once.
TEST_F(JunkCheckTick, EveryProfilesCacheOfEveryBrowserCountsOnce) {
    const std::string firefox = root_.Path() + "\\Roaming\\Mozilla\\Firefox\\";
    const std::string elsewhere = root_.Path() + "\\Elsewhere";
    ASSERT_TRUE(MakeFolders(firefox));
    WriteFile(firefox + "profiles.ini", "[Profile0]\r\nIsRelative=0\r\nPath=" + elsewhere +
                                            "\r\n[Profile1]\r\nIsRelative=1\r\nPath=Profiles/b.work\r\n");
    Junk(elsewhere + "\\Cache2\\", "a", 40 * kMiB);
    Junk(root_.Path() + "\\Local\\Mozilla\\Firefox\\Profiles\\b.work\\cache2\\entries\\", "b", 30 * kMiB);
    Junk(root_.Path() + "\\Local\\Microsoft\\Edge\\User Data\\Profile 1\\Cache\\Cache_Data\\", "c", 20 * kMiB);
    Junk(root_.Path() + "\\Local\\Google\\Chrome\\User Data\\Default\\Cache\\", "d", 10 * kMiB + 1);
    EXPECT_EQ(Outcome::Shown, RunToEnd(MakeCheck()));
    EXPECT_EQ(std::vector<std::int64_t>{104857601}, shown_);
}

// A browser installed after the check was made counts from the next tick.
TEST_F(JunkCheckTick, EachTickMeasuresTheProfilesThereAreThen) {
    ShellFolders shell{"", InternetCache(), root_.Path() + "\\Local", root_.Path() + "\\Roaming"};
    const PathSet paths = BuildPathSet(root_.Path(), shell);
    JunkCheck check([&] { return JunkFoldersNow(paths); }, [this](std::int64_t size) {
        shown_.push_back(size);
        return true;
    }, {}, [this] { return now_; });
    EXPECT_EQ(Outcome::LittleJunk, RunToEnd(check));
    Junk(root_.Path() + "\\Local\\Microsoft\\Edge\\User Data\\Profile 4\\Cache\\", "e", 150 * kMiB);
    EXPECT_EQ(Outcome::Shown, RunToEnd(check));
    EXPECT_EQ(std::vector<std::int64_t>{150 * kMiB}, shown_);
}

TEST_F(JunkCheckTick, PurgeonOrAnotherWindowPostponesItAndAShownWindowHoldsTheNextForSixHours) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    SetNotificationBusy(true);
    EXPECT_EQ(Outcome::NotificationUp, RunToEnd(check));
    SetNotificationBusy(false);
    // Purgeon itself, from beside the program.
    const std::string programFolder = std::exchange(Paths().programFolder, BinFolder());
    STARTUPINFOA si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + BinFolder() + "\\Purgeon.exe\"";
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(WaitUntil([] { return FindWindowA("TForm1a", "Purgeon") != nullptr; }, 10000));
    EXPECT_EQ(Outcome::CompanionRunning, RunToEnd(check));
    EndPurgeons();
    Paths().programFolder = programFolder;
    EXPECT_EQ(stale_, StoredLast());

    const DateTime shownAt = now_;
    EXPECT_EQ(Outcome::Shown, RunToEnd(check));
    EXPECT_EQ(shownAt, StoredLast());
    now_ = shownAt + kSixHoursLessAMinute;
    EXPECT_EQ(Outcome::TooSoon, RunToEnd(check));
    now_ = shownAt + kSixHours;
    EXPECT_EQ(Outcome::Shown, RunToEnd(check));
}

TEST_F(JunkCheckTick, SwitchedOffItEndsAtOnceWritingNothing) {
    Junk(InternetCache(), "big", 150 * kMiB);
    SetDword(HKEY_CURRENT_USER, kSettings, "CacheNotifier", 0);
    EXPECT_EQ(Outcome::SwitchedOff, RunToEnd(MakeCheck()));
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(stale_, StoredLast());
}

// The walk runs on a thread of its own and tells its end through the
// notice; a tick during the walk or during the window is skipped, and a
// message that claims an end before there is one changes nothing.
TEST_F(JunkCheckTick, TheWalkRunsOnAThreadOfItsOwnAndATickMeanwhileIsSkipped) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    std::atomic<DWORD> walker{0};
    check.SetWalkEndedNotice([&] { walker = GetCurrentThreadId(); });
    std::vector<Outcome> nested;
    duringWindow_ = [&] { nested.push_back(check.Run()); };
    EXPECT_EQ(std::nullopt, check.WalkEnded());
    ASSERT_EQ(Outcome::Walking, check.Run());
    EXPECT_TRUE(check.Running());
    nested.push_back(check.Run());
    ASSERT_TRUE(WaitUntil([&] { return walker != 0; }, 30000));
    EXPECT_NE(walker, GetCurrentThreadId());
    EXPECT_EQ(Outcome::Shown, check.WalkEnded());
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(std::nullopt, check.WalkEnded());  // told once
    EXPECT_EQ((std::vector<Outcome>{Outcome::AlreadyRunning, Outcome::AlreadyRunning}), nested);
}

// A stopped walk reports nothing, and the next tick walks anew; a walk whose
// end comes after the program was told to end reports nothing either.
TEST_F(JunkCheckTick, AStoppedWalkOrAnEndingProgramShowsNothing) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    ASSERT_EQ(Outcome::Walking, check.Run());
    check.Stop();
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(std::nullopt, check.WalkEnded());
    EXPECT_TRUE(shown_.empty());

    ASSERT_EQ(Outcome::Walking, check.Run());
    TerminateApplication();
    std::optional<Outcome> rest;
    ASSERT_TRUE(WaitUntil([&] { return (rest = check.WalkEnded()).has_value(); }, 30000));
    EXPECT_EQ(Outcome::Abandoned, rest);
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(stale_, StoredLast());
}

// The walk looks at its stop flag before every entry: stopped before it
// starts, it counts nothing, however big the cache.
TEST_F(JunkCheckTick, AWalkToldToStopBeforeItsFirstEntryCountsNothing) {
    Junk(InternetCache(), "big", 150 * kMiB);
    const std::vector<std::string> folders{InternetCache()};
    std::atomic<bool> stop{false};
    EXPECT_EQ(150 * kMiB, MeasureJunk(folders, stop));
    stop = true;
    EXPECT_EQ(0, MeasureJunk(folders, stop));
}

// A window kept off the screen is reported again at every tick: the record
// takes it once in six hours, a shown one always; the time is written only
// when the window shows, even after waiting.
TEST_F(JunkCheckTick, AJunkFindingNotShownIsRecordedOnceInSixHours) {
    Junk(InternetCache(), "big", 150 * kMiB);
    Presentation next = Presentation::Dropped;
    std::vector<bool> recordUnlessShown;
    std::function<bool()> waiting;
    JunkCheck check(
        [this] { return std::vector<std::string>{InternetCache()}; }, [](std::int64_t) { return true; },
        [&](std::int64_t, const std::function<bool()>& show, bool record) {
            recordUnlessShown.push_back(record);
            if (next == Presentation::Held) waiting = show;
            return next == Presentation::Shown && show() ? Presentation::Shown : next;
        },
        [this] { return now_; });
    EXPECT_EQ(Outcome::NotificationUp, RunToEnd(check));
    now_ += 10.0 / 24 / 60;
    next = Presentation::Held;
    EXPECT_EQ(Outcome::Waiting, RunToEnd(check));
    EXPECT_EQ(stale_, StoredLast());
    now_ = 45000.5 + kSixHours;
    EXPECT_EQ(Outcome::Waiting, RunToEnd(check));
    EXPECT_EQ(recordUnlessShown, (std::vector<bool>{true, false, true}));

    ASSERT_TRUE(waiting && waiting());  // the full-screen program went
    EXPECT_EQ(now_, StoredLast());
}
