// Data others control, from end to end: a shell folder the shell does not
// give, and a profiles.ini of ten thousand sections that spell a few folders
// many ways. Vigilo measures and watches no folder it was not given, and
// starts as fast and with as few threads as with a file of a few profiles.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "platform/date_time.h"
#include "support/extension_support.h"
#include "support/notification_support.h"
#include "support/test_support.h"
#include "support/tray_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const char* const kUserShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

int ThreadsOf(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{sizeof(entry)};
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == pid;
    CloseHandle(snapshot);
    return count;
}

// Starts Vigilo; how long its tray icon took (ms) and, once its monitors run, its threads.
struct Start {
    ULONGLONG trayMs = 0;
    int threads = 0;
};
Start StartAndCount(VigiloInstall& vigilo) {
    const ULONGLONG begin = GetTickCount64();
    if (!vigilo.Start() || !WaitForTrayIcon(vigilo.ProcessId())) return {};
    Start start{GetTickCount64() - begin, 0};
    Sleep(3000);  // every monitor has started by then
    start.threads = ThreadsOf(vigilo.ProcessId());
    return start;
}

}  // namespace

// Without a folder of its own the Internet cache would be the current drive's root: gigabytes of "junk".
TEST(OutsideData, AShellFolderTheShellDoesNotGiveIsNeverMeasured) {
    CleanSettings settings;
    SetString(HKEY_CURRENT_USER, kUserShellFolders, "Cache", "C:\\vigilo-no-such-cache", REG_EXPAND_SZ);
    const double stale = Now() - 7.0 / 24;
    SetRaw(HKEY_CURRENT_USER, "Software\\Purgeon", "LastCacheNotification", REG_BINARY, &stale, sizeof(stale));
    VigiloInstall vigilo;
    ASSERT_TRUE(vigilo.Start() && vigilo.WaitForMainWindow());
    PostMessageW(vigilo.MainWindow(), WM_TIMER, 1, 0);
    EXPECT_FALSE(WaitUntil([&] { return VisibleWindowOf(vigilo.ProcessId(), "TForm2d") != nullptr; }, 15000));
    EXPECT_TRUE(vigilo.Running());
    vigilo.Kill();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                       L"Cache");
}

TEST(OutsideData, TenThousandProfileSectionsCostNeitherStartTimeNorThreads) {
    CleanSettings settings;
    BrowserFolders folders;
    if (!folders.Usable()) GTEST_SKIP() << "this user has a real browser profile";
    VigiloInstall vigilo;
    const Start usual = StartAndCount(vigilo);
    ASSERT_GT(usual.threads, 0);
    vigilo.Stop();

    // Ten thousand sections, each folder spelled three ways, and ten thousand folders more.
    std::string ini;
    for (int n = 0; n < 10000; ++n) {
        const std::string path = n % 2 ? "Profiles/p" + std::to_string(n % 6) + (n % 4 == 1 ? "/." : "")
                                       : "Profiles\\q" + std::to_string(n) + "\\";
        ini += "[Profile" + std::to_string(n) + "]\r\nIsRelative=1\r\nPath=" + path + "\r\n";
    }
    WriteFile(folders.FirefoxFolder() + "profiles.ini", ini);
    const Start crowded = StartAndCount(vigilo);
    ASSERT_GT(crowded.threads, 0);
    EXPECT_LE(crowded.trayMs, usual.trayMs + 1000);
    EXPECT_LE(crowded.threads, usual.threads + 32 + 2) << "one watch per profile, at most 32 profiles";
    EXPECT_TRUE(vigilo.Running());
}
