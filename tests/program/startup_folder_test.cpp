// Startup folders from end to end: a shortcut added to the user's or the
// common Startup folder while Vigilo.exe runs raises the startup window,
// named as the user sees it in the folder, without ".lnk".
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "support/notification_program.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

// A round settles for 6 s; a finding not shown by then never is.
constexpr DWORD kNoReportMs = 8000;

// The Startup folders of the user the tests run as and of all users, made
// when missing. Every file the tests add there starts with "VigiloTest" and
// is removed now and on destruction; nothing else there is touched.
class TestShortcuts {
public:
    TestShortcuts() { RemoveAll(); }
    ~TestShortcuts() { RemoveAll(); }
    TestShortcuts(const TestShortcuts&) = delete;
    TestShortcuts& operator=(const TestShortcuts&) = delete;

    // Adds the file name (a shortcut's contents do not matter to Vigilo) to the folder of csidl.
    static void Add(int csidl, const std::string& name) { WriteFile(Folder(csidl) + name, "L"); }

private:
    static std::string Folder(int csidl) {
        char path[MAX_PATH] = "";
        SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
        return std::string(path) + "\\";
    }
    static void RemoveAll() {
        for (int csidl : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP}) {
            const std::string folder = Folder(csidl);
            WIN32_FIND_DATAA found;
            HANDLE find = FindFirstFileA((folder + "VigiloTest*").c_str(), &found);
            if (find == INVALID_HANDLE_VALUE) continue;
            do DeleteFileA((folder + found.cFileName).c_str());
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
    }
};

class StartupFolder : public NotificationProgram {
protected:
    StartupFolder() : NotificationProgram("TForm2c", "StartupNotifier") {}
    // Vigilo goes first: it must not see the shortcuts removed.
    void TearDown() override { vigilo_.reset(); }
    // Adds name + ".lnk" and waits for the window naming it without ".lnk".
    void AddAndExpectShown(int csidl, const std::string& name) {
        shortcuts_.Add(csidl, name + ".lnk");
        HWND form = WaitForWindow();
        ASSERT_NE(form, nullptr) << name << " was not shown";
        ExpectPlacedOnTop(form, "Startup notification", 238);
        EXPECT_NE(FindChildByText(form, name), nullptr) << name;
        EXPECT_EQ(FindChildByText(form, name + ".lnk"), nullptr) << name;
    }

    TestShortcuts shortcuts_;
};

}  // namespace

TEST_F(StartupFolder, AShortcutAddedToTheUsersStartupFolderIsShownWithoutLnk) {
    StartVigilo();
    AddAndExpectShown(CSIDL_STARTUP, "VigiloTest Sync Agent");
}

TEST_F(StartupFolder, AShortcutAddedToTheCommonStartupFolderIsShownToo) {
    StartVigilo();
    AddAndExpectShown(CSIDL_COMMON_STARTUP, "VigiloTest Updater");
}

TEST_F(StartupFolder, SwitchedOffTheRunningWatchesStaySilentUntilSwitchedOnAgain) {
    StartVigilo();
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 0);
    shortcuts_.Add(CSIDL_STARTUP, "VigiloTest Silenced.lnk");
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 1);
    AddAndExpectShown(CSIDL_STARTUP, "VigiloTest Heard");
}
