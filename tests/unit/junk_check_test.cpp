// The junk-file check driven directly, one tick per Run(): the six-hour
// rule, the three cache folders and what in them counts, the 100 MiB
// threshold, what postpones a notification, and the record of the last one.
#include <gtest/gtest.h>

#include <limits>
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
constexpr DateTime kSixHours = 0.25;
constexpr DateTime kSixHoursLessAMinute = 359.0 / 1440;
constexpr DateTime kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr DateTime kInfinity = std::numeric_limits<double>::infinity();

// A file of size bytes, with its folders.
void Junk(const std::string& folder, const char* name, long long size) {
    ASSERT_TRUE(MakeFolders(folder));
    ASSERT_TRUE(WriteSparseFile(folder + name, size));
}

// Creates a folder, or a file of `size` bytes, by a path the 8-bit API may not take.
void MakeLong(const std::string& path, long long size = -1) {
    const std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    if (size < 0) {
        ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
        return;
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string content(static_cast<size_t>(size), 'x');
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

TEST(CacheSize, CountsEveryFileButTheCachesBookkeeping) {
    TempFolder root;
    const std::string folder = root.Path() + "\\";
    Junk(folder, "plain", 1000);
    ASSERT_TRUE(WriteSparseFile(folder + "hidden", 2000,
                                FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    Junk(folder + "sub\\deeper\\", "inner", 4000);
    Junk(folder, "cache_map", 500);
    Junk(folder, "huge", 5LL << 30);  // sizes beyond 4 GiB come whole from the directory entry
    for (const char* name : {"index.dat", "Index.Dat", "_CACHE_001_", "abc_cache_x"}) Junk(folder, name, kMiB);
    EXPECT_EQ(MeasureFolder(folder, nullptr), 1000 + 2000 + 4000 + 500 + (5LL << 30));
    EXPECT_EQ(MeasureFolder(folder + "missing\\", nullptr), 0);
}

TEST(CacheSize, FolderPathsOfTwoHundredFiftySixCharactersAreNotEntered) {
    TempFolder root;
    const std::string folder = root.Path() + "\\";
    const std::string entered = folder + std::string(255 - folder.size(), 'a');
    const std::string skipped = folder + std::string(256 - folder.size(), 'b');
    MakeLong(entered);
    MakeLong(entered + "\\f", 3);
    MakeLong(skipped);
    MakeLong(skipped + "\\f", 4);
    EXPECT_EQ(MeasureFolder(folder, nullptr), 3);
}

TEST(SixHoursPassed, CountsEitherWayAndTakesANonDateAsLongAgo) {
    const DateTime now = 45000.5;
    EXPECT_FALSE(SixHoursPassed(now - kSixHoursLessAMinute, now));
    EXPECT_TRUE(SixHoursPassed(now - kSixHours, now));
    EXPECT_TRUE(SixHoursPassed(now + 7.0 / 24, now));
    EXPECT_FALSE(SixHoursPassed(now + kSixHoursLessAMinute, now));
    for (DateTime odd : {kNaN, kInfinity, -kInfinity, 1e300, -1e300}) EXPECT_TRUE(SixHoursPassed(odd, now)) << odd;
}

namespace {

// A check over caches in a temporary profile, with a clock of its own; the
// window it shows is a record taken under the real busy flag.
class JunkCheckTick : public ::testing::Test {
protected:
    void SetUp() override {
        ResetApplicationState();
        SetDword(HKEY_CURRENT_USER, kSettings, "CacheNotifier", 1);
        StoreLast(stale_);
    }
    void TearDown() override { ResetApplicationState(); }

    JunkCheck MakeCheck() {
        ShellFolders shell;
        shell.internetCache = InternetCache();
        shell.localAppData = root_.Path() + "\\Local";
        shell.roamingAppData = root_.Path() + "\\Roaming";
        return JunkCheck(
            JunkFolders(BuildPathSet(root_.Path(), shell)),
            [this](std::int64_t size) {
                return RunNotification([&] {
                    shown_.push_back(size);
                    if (duringWindow_) duringWindow_();
                });
            },
            [this] { return now_; });
    }
    std::string InternetCache() const { return root_.Path() + "\\INetCache\\"; }
    std::string Firefox() const { return root_.Path() + "\\Roaming\\Mozilla\\Firefox\\"; }
    std::string ChromeCache() const { return root_.Path() + "\\Local\\Google\\Chrome\\User Data\\Default\\Cache\\"; }
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

// Purgeon's main window, as IsCompanionRunning looks for it.
class PurgeonWindow {
public:
    PurgeonWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "TForm1a";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, "TForm1a", "Purgeon", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    ~PurgeonWindow() { DestroyWindow(hwnd_); }

private:
    HWND hwnd_;
};

}  // namespace

TEST_F(JunkCheckTick, MeasuresOnlyOnceSixHoursHavePassedEitherWay) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    StoreLast(now_ - kSixHoursLessAMinute);
    EXPECT_EQ(Outcome::TooSoon, check.Run());
    for (DateTime last : {now_ - kSixHours, now_ + 7.0 / 24, kNaN, kInfinity, 1e300}) {
        StoreLast(last);
        EXPECT_EQ(Outcome::Shown, check.Run()) << last;
    }
    EXPECT_EQ(5u, shown_.size());
}

TEST_F(JunkCheckTick, ShowsMoreThanOneHundredMebibytesAcrossTheThreeCaches) {
    WriteFile((MakeFolders(Firefox()), Firefox() + "profiles.ini"), "[Profile0]\r\nPath=Profiles/t.default\r\n");
    Junk(Firefox() + "Profiles\\t.default\\Cache\\", "old", 500 * kMiB);  // Cache2 is measured instead
    Junk(Firefox() + "Profiles\\t.default\\Cache2\\entries\\", "a", 40 * kMiB);
    Junk(InternetCache(), "b", 30 * kMiB);
    Junk(ChromeCache(), "c", 30 * kMiB);
    EXPECT_EQ(Outcome::LittleJunk, MakeCheck().Run());
    EXPECT_EQ(stale_, StoredLast());

    Junk(ChromeCache(), "d", 1);
    EXPECT_EQ(Outcome::Shown, MakeCheck().Run());
    EXPECT_EQ(std::vector<std::int64_t>{104857601}, shown_);
}

TEST_F(JunkCheckTick, PurgeonRunningOrAnotherWindowUpPostponesToTheNextTick) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    SetNotificationBusy(true);
    EXPECT_EQ(Outcome::NotificationUp, check.Run());
    SetNotificationBusy(false);
    {
        PurgeonWindow purgeon;
        EXPECT_EQ(Outcome::CompanionRunning, check.Run());
    }
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(stale_, StoredLast());
    EXPECT_EQ(Outcome::Shown, check.Run());
}

TEST_F(JunkCheckTick, AfterAShownWindowTheNextMeasurementWaitsSixHours) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    const DateTime shownAt = now_;
    EXPECT_EQ(Outcome::Shown, check.Run());
    EXPECT_EQ(shownAt, StoredLast());
    now_ = shownAt + kSixHoursLessAMinute;
    EXPECT_EQ(Outcome::TooSoon, check.Run());
    now_ = shownAt + kSixHours;
    EXPECT_EQ(Outcome::Shown, check.Run());
}

TEST_F(JunkCheckTick, SwitchedOffItEndsAtOnceWritingNothing) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    SetDword(HKEY_CURRENT_USER, kSettings, "CacheNotifier", 0);
    EXPECT_EQ(Outcome::SwitchedOff, check.Run());
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettings.c_str(), "CacheNotifier");
    EXPECT_EQ(Outcome::SwitchedOff, check.Run());
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(stale_, StoredLast());
}

TEST_F(JunkCheckTick, ATickDuringTheWalkOrTheWindowIsSkipped) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    std::vector<Outcome> nested;
    constexpr UINT kTick = WM_APP + 7;
    SetApplicationMessageFilter([&](const MSG& msg) {
        if (msg.message == kTick) nested.push_back(check.Run());
    });
    duringWindow_ = [&] { nested.push_back(check.Run()); };
    PostThreadMessageA(GetCurrentThreadId(), kTick, 0, 0);  // handled during the walk
    EXPECT_EQ(Outcome::Shown, check.Run());
    EXPECT_EQ((std::vector<Outcome>{Outcome::AlreadyRunning, Outcome::AlreadyRunning}), nested);
}

TEST_F(JunkCheckTick, AnEndingApplicationStopsTheWalk) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    PostQuitMessage(0);
    EXPECT_EQ(Outcome::Abandoned, check.Run());
    EXPECT_TRUE(shown_.empty());
}

TEST_F(JunkCheckTick, AStoredTimeOfTheWrongSizeThrowsAndTheNextTickRunsAgain) {
    Junk(InternetCache(), "big", 150 * kMiB);
    JunkCheck check = MakeCheck();
    const DWORD four = 4;
    SetRaw(HKEY_CURRENT_USER, kSettings, "LastCacheNotification", REG_BINARY, &four, sizeof(four));
    EXPECT_THROW(check.Run(), SettingsError);
    StoreLast(now_ - kSixHours);
    EXPECT_EQ(Outcome::Shown, check.Run());
}
