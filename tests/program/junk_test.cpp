// The junk-file notification from end to end. The ten-minute tick is posted
// here as the timer posts it (WM_TIMER, timer 1) rather than waited for.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <chrono>

#include "core/settings_store.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

const std::string kSettings = "Software\\Purgeon";
const HKEY kCu = HKEY_CURRENT_USER;

class Junk : public ::testing::Test {
protected:
    Junk() {
        char cache[MAX_PATH] = "";
        SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, cache);
        junkFolder_ = std::string(cache) + "\\VigiloJunkTest";
    }
    ~Junk() override { RemoveTree(junkFolder_); }
    void StartVigilo() {
        ASSERT_TRUE(vigilo_.Start());
        ASSERT_TRUE(vigilo_.WaitForMainWindow());
    }
    void Tick() { PostMessageA(vigilo_.MainWindow(), WM_TIMER, 1, 0); }
    static void StoreLastNotification(const void* data, DWORD size) {
        SetRaw(kCu, kSettings, "LastCacheNotification", REG_BINARY, data, size);
    }
    HWND ErrorBox(HWND other = nullptr) const {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", "Vigilo")) != nullptr;) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (w != other && pid == vigilo_.ProcessId()) return w;
        }
        return nullptr;
    }

    CleanSettings settings_;
    std::string junkFolder_;
    VigiloInstall vigilo_;
};

}  // namespace

TEST_F(Junk, TheFirstTickShowsTheCachesJunkForTwentySecondsAndTheNextWaitsSixHours) {
    const double stale = vigilo::Now() - 7.0 / 24;
    StoreLastNotification(&stale, sizeof(stale));
    ASSERT_TRUE(MakeFolders(junkFolder_));
    ASSERT_TRUE(WriteSparseFile(junkFolder_ + "\\f_000123", 157286400));
    StartVigilo();
    Tick();
    HWND form = WaitForVisibleWindow(vigilo_.ProcessId(), "TForm2d", 15000);
    ASSERT_NE(form, nullptr);
    const DWORD shown = GetTickCount();
    char separator[8] = ".";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof(separator));
    EXPECT_NE(FindChildByText(form, std::string("150") + separator + "00 MB"), nullptr);
    RECT r;
    GetWindowRect(form, &r);
    EXPECT_EQ(r.top, 750);

    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000));
    EXPECT_GE(GetTickCount() - shown, 19000u);
    EXPECT_NEAR(vigilo::ReadFloat(kCu, kSettings, "LastCacheNotification"), vigilo::Now(), 1.0 / 1440);
    Tick();
    EXPECT_FALSE(WaitUntil([&] { return VisibleWindowOf(vigilo_.ProcessId(), "TForm2d") != nullptr; }, 2000));
}

// A link in the cache that points back up (made by CTest from the Linux side)
// would count 60 MiB dozens of times and send the user to clean what is not there.
TEST_F(Junk, AFolderLinkThatLoopsCountsItsFilesOnce) {
    const std::string looping = junkFolder_.substr(0, junkFolder_.rfind('\\')) + "\\VigiloLoopTest";
    if (!vigilo::DirectoryExists(looping + "\\loop")) GTEST_SKIP() << "no looping link: run through CTest";
    const double stale = vigilo::Now() - 7.0 / 24;
    StoreLastNotification(&stale, sizeof(stale));
    ASSERT_TRUE(WriteSparseFile(looping + "\\f_000060", 60 << 20));
    StartVigilo();
    Tick();
    EXPECT_FALSE(WaitUntil([&] { return VisibleWindowOf(vigilo_.ProcessId(), "TForm2d") != nullptr; }, 10000));
    DeleteFileW(vigilo::Utf16(looping + "\\f_000060").c_str());
}

TEST_F(Junk, AStoredTimeOfTheWrongSizeShowsOneErrorBoxHoweverManyTicksCome) {
    const DWORD four = 4;
    StoreLastNotification(&four, sizeof(four));
    StartVigilo();
    Tick();
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ErrorBox()) != nullptr; }, 10000));
    std::string text;
    for (HWND child : ChildWindows(box)) text += WindowText(child);
    EXPECT_NE(text.find("Invalid data type for 'LastCacheNotification'"), std::string::npos) << text;
    Tick();
    Tick();
    EXPECT_FALSE(WaitUntil([&] { return ErrorBox(box) != nullptr; }, 2000));
    vigilo_.Kill();
}

// The walk runs on a thread of its own: during a walk of 20,000 files the
// main window answers WM_NULL, asked every 10 ms as another program checks
// that a window still answers, within 50 ms each time. The walk ends with the
// junk window: a probe answered once that window exists may have waited for
// its making, after the walk, and ends the measure uncounted.
TEST_F(Junk, TheMainWindowAnswersWithinFiftyMillisecondsThroughoutAWalkOfTwentyThousandFiles) {
    constexpr int kFolders = 200, kFilesPerFolder = 100;
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::wstring path = vigilo::Utf16(junkFolder_ + "\\site" + std::to_string(folder));
        ASSERT_TRUE(MakeFolders(vigilo::Utf8(path)));
        for (int file = 0; file < kFilesPerFolder; ++file) {
            HANDLE made = CreateFileW((path + L"\\entry" + std::to_wstring(file)).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(made, INVALID_HANDLE_VALUE);
            CloseHandle(made);
        }
    }
    ASSERT_TRUE(WriteSparseFile(junkFolder_ + "\\big", 157286400));
    const double stale = vigilo::Now() - 7.0 / 24;
    StoreLastNotification(&stale, sizeof(stale));
    StartVigilo();
    Sleep(1000);  // the monitors' start is done

    using namespace std::chrono;
    milliseconds longest{};
    int probes = 0;
    std::string answers;  // each probe's wait, in ms, for a failure's message
    Tick();
    for (;;) {
        const steady_clock::time_point sent = steady_clock::now();
        DWORD_PTR result = 0;
        ASSERT_NE(SendMessageTimeoutA(vigilo_.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result), 0);
        const milliseconds waited = duration_cast<milliseconds>(steady_clock::now() - sent);
        if (FindTopWindow("TForm2d", nullptr, vigilo_.ProcessId())) break;
        longest = std::max(longest, waited);
        answers += std::to_string(waited.count()) + " ";
        ++probes;
        ASSERT_LT(probes, 6000) << "no junk window within a minute";
        Sleep(10);
    }
    EXPECT_LT(longest, milliseconds(50)) << probes << " probes: " << answers;
    EXPECT_GE(probes, 5);  // the walk took a while: this measured it
}
