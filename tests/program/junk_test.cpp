// The junk-file notification from end to end: with the last notification
// long ago and more than 100 MiB in the Internet cache folder, the timer's
// tick (posted here, as the timer posts it, rather than waited for ten
// minutes) raises the junk window for 20 seconds, and the next tick within
// six hours does not.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "platform/date_time.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

const std::string kSettings = "Software\\Purgeon";
const HKEY kCu = HKEY_CURRENT_USER;
constexpr UINT_PTR kTimer1 = 1;

// A folder of junk in the user's Internet cache folder, removed afterwards.
class CacheJunk {
public:
    CacheJunk() {
        char cache[MAX_PATH] = "";
        SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, cache);
        folder_ = std::string(cache) + "\\VigiloJunkTest";
    }
    ~CacheJunk() { RemoveTree(folder_); }
    bool Add(long long size) { return MakeFolders(folder_) && WriteSparseFile(folder_ + "\\f_000123", size); }

private:
    std::string folder_;
};

void StoreLastNotification(const void* data, DWORD size) {
    SetRaw(kCu, kSettings, "LastCacheNotification", REG_BINARY, data, size);
}

double StoredLastNotification() {
    double value = 0;
    HKEY key = nullptr;
    DWORD size = sizeof(value);
    if (RegOpenKeyExA(kCu, kSettings.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "LastCacheNotification", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    return value;
}

class Junk : public ::testing::Test {
protected:
    void StartVigilo() {
        ASSERT_TRUE(vigilo_.Start());
        ASSERT_TRUE(vigilo_.WaitForMainWindow());
    }
    void Tick() { PostMessageA(vigilo_.MainWindow(), WM_TIMER, kTimer1, 0); }

    CleanSettings settings_;
    CacheJunk junk_;
    VigiloInstall vigilo_;
};

}  // namespace

TEST_F(Junk, TheFirstTickShowsTheJunkForTwentySecondsAndTheNextWaitsSixHours) {
    const double stale = vigilo::Now() - 7.0 / 24;
    StoreLastNotification(&stale, sizeof(stale));
    ASSERT_TRUE(junk_.Add(157286400));
    StartVigilo();
    Tick();
    HWND form = WaitForVisibleWindow(vigilo_.ProcessId(), "TForm2d", 15000);
    ASSERT_NE(form, nullptr);
    const DWORD shown = GetTickCount();
    EXPECT_EQ(WindowText(form), "Cache notifications");
    char separator[8] = ".";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof(separator));
    EXPECT_NE(FindChildByText(form, std::string("150") + separator + "00 MB"), nullptr);
    EXPECT_NE(FindChildByText(form, "of junk found!"), nullptr);
    RECT r;
    GetWindowRect(form, &r);
    EXPECT_EQ(r.left, 1515);
    EXPECT_EQ(r.top, 750);

    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000));
    EXPECT_GE(GetTickCount() - shown, 19000u);
    EXPECT_NEAR(StoredLastNotification(), vigilo::Now(), 1.0 / 1440);  // within a minute

    Tick();
    EXPECT_FALSE(WaitUntil([&] { return VisibleWindowOf(vigilo_.ProcessId(), "TForm2d") != nullptr; }, 2000));
}

TEST_F(Junk, AStoredTimeOfTheWrongSizeShowsOneErrorBoxHoweverManyTicksCome) {
    const DWORD four = 4;
    StoreLastNotification(&four, sizeof(four));
    StartVigilo();
    Tick();
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindTopWindow("#32770", "Vigilo", vigilo_.ProcessId())) != nullptr; },
                          10000));
    std::string text;
    for (HWND child : ChildWindows(box)) text += WindowText(child);
    EXPECT_NE(text.find("Invalid data type for 'LastCacheNotification'"), std::string::npos) << text;
    Tick();
    Tick();
    auto boxes = [&] {
        int count = 0;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", "Vigilo")) != nullptr;) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            count += pid == vigilo_.ProcessId();
        }
        return count;
    };
    EXPECT_FALSE(WaitUntil([&] { return boxes() > 1; }, 2000));
    vigilo_.Kill();
}
