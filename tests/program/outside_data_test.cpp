// Data others control, from end to end: a shell folder the shell does not
// give, and a profiles.ini of ten thousand sections that spell a few folders
// many ways. Vigilo measures and watches no folder it was not given, and
// starts as fast and with as few threads as with a file of a few profiles.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "platform/file_system.h"

#include "platform/date_time.h"
#include "support/extension_support.h"
#include "support/notification_support.h"
#include "support/test_support.h"
#include "support/tray_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const wchar_t* const kUserShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

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

// A shell folder set, for the test's life, to one that does not exist: the shell then gives none.
class BrokenShellFolder {
public:
    explicit BrokenShellFolder(const wchar_t* name) : name_(name) {
        wchar_t value[1024];
        DWORD size = sizeof(value);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kUserShellFolders, name, RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                            value, &size) == ERROR_SUCCESS;
        if (had_) saved_ = value;
        Set(L"C:\\vigilo-no-such-folder");
    }
    ~BrokenShellFolder() {
        if (had_)
            Set(saved_.c_str());
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, name_);
    }

private:
    void Set(const wchar_t* value) const {
        RegSetKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, name_, REG_EXPAND_SZ, value,
                        static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    }
    const wchar_t* name_;
    bool had_ = false;
    std::wstring saved_;
};

}  // namespace

// Without the user's application-data folders, "\Mozilla\Firefox\" and "\" would be
// the current drive's root, where any local account may put a profiles.ini,
// and the whole drive would be measured as junk.
TEST(OutsideData, AShellFolderTheShellDoesNotGiveIsNeverWatchedOrMeasured) {
    const std::string planted = "C:\\Mozilla\\Firefox\\";
    if (DirectoryExists("C:\\Mozilla")) GTEST_SKIP() << "C:\\Mozilla exists";
    CleanSettings settings;
    ASSERT_TRUE(MakeFolders(planted + "P\\extensions"));
    WriteFile(planted + "profiles.ini", "[Profile0]\r\nIsRelative=1\r\nPath=P\r\n");
    const double stale = Now() - 7.0 / 24;
    SetRaw(HKEY_CURRENT_USER, "Software\\Purgeon", "LastCacheNotification", REG_BINARY, &stale, sizeof(stale));
    {
        BrokenShellFolder roaming(L"AppData"), cache(L"Cache");
        VigiloInstall vigilo;
        ASSERT_TRUE(vigilo.Start() && vigilo.WaitForMainWindow());
        Sleep(2000);  // the watches are up
        WriteFile(planted + "P\\extensions\\addon@planted.xpi", "PK");
        PostMessageW(vigilo.MainWindow(), WM_TIMER, 1, 0);
        EXPECT_FALSE(WaitUntil(
            [&] {
                return VisibleWindowOf(vigilo.ProcessId(), "TForm2b") || VisibleWindowOf(vigilo.ProcessId(), "TForm2d");
            },
            12000));
        EXPECT_TRUE(vigilo.Running());
        vigilo.Kill();
    }
    RemoveTree("C:\\Mozilla");
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
