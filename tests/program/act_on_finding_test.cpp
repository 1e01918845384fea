// Acting on a finding from outside, as a user and Purgeon see it: the
// startup window disables a new Run value or Startup-folder shortcut at
// Windows start-up the way Task Manager does (StartupApproved) and enables
// it again, its time starting again from the click; several entries of one
// round give one window saying how many more; ignore rules keep a matching
// entry off the screen and out of the record; the default list is written
// once.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"

using namespace vigilo::test;

namespace {

constexpr POINT kCloseCross{385, 10};
const char* const kApproved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";
const char* const kVigiloKey = "Software\\Purgeon\\Vigilo";
// Ten minutes, in FILETIME's 100-nanosecond units.
constexpr ULONGLONG kTenMinutes = 10ull * 60 * 10000000;

std::vector<BYTE> Raw(const std::string& key, const std::string& name) {
    DWORD type = 0, size = 0;
    if (!GetValueInfo(HKEY_CURRENT_USER, key, name, type, size)) return {};
    std::vector<BYTE> data(size);
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &k) != ERROR_SUCCESS)
        return {};
    RegQueryValueExA(k, name.c_str(), nullptr, &type, data.data(), &size);
    RegCloseKey(k);
    return data;
}

// The flags and time a StartupApproved value holds, and whether it has 12 bytes.
struct Approval {
    bool whole = false;
    DWORD flags = 0;
    ULONGLONG time = 0;
};
Approval ApprovalOf(const std::string& list, const std::string& name) {
    const std::vector<BYTE> data = Raw(std::string(kApproved) + "\\" + list, name);
    Approval approval{data.size() == 12};
    if (!approval.whole) return approval;
    std::memcpy(&approval.flags, data.data(), 4);
    std::memcpy(&approval.time, data.data() + 4, 8);
    return approval;
}

ULONGLONG NowAsFileTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool Recorded(const std::string& name) {
    const std::vector<std::string> lines = RecentFindingLines();
    // "YYYY-MM-DD HH:MM:SS<TAB>startup<TAB>name"
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() > 20 && line.substr(20) == "startup\t" + name;
    });
}

class ActOnFinding : public NotificationProgram {
protected:
    ActOnFinding() : NotificationProgram("TForm2c", "StartupNotifier") {}
    ~ActOnFinding() override {
        if (vigilo_) vigilo_->Kill();
        DeleteKeyTree(HKEY_CURRENT_USER, kApproved);
    }
    // The link's label of form, found by what it reads.
    static HWND Link(HWND form, const char* text) { return FindChildByText(form, text); }
    static void ClickLink(HWND form, const char* text) {
        HWND link = Link(form, text);
        ASSERT_NE(link, nullptr) << text;
        PostClick(link);
    }
    // Closes form with its cross and waits for its end.
    static void CloseAndWaitOut(HWND form) {
        Click(form, kCloseCross);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000));
    }

    VigiloOnWindows10 windows10_;  // Windows 8 brought StartupApproved
    UnmanagedVigiloWindows unmanaged_;
    RunKeys runKeys_;
    TestShortcuts shortcuts_;
};

}  // namespace

TEST_F(ActOnFinding, DisableAndEnableFromTheStartupWindowManyAtOnceAndIgnoreRules) {
    DeleteKeyTree(HKEY_CURRENT_USER, kApproved);
    const std::string shortcuts[] = {"VigiloTest One", "VigiloTest Two", "VigiloTest Three"};
    // Flags Windows keeps beside the disabled bit: they stay.
    const BYTE otherFlags[12] = {0x06};
    for (const std::string& name : shortcuts)
        SetRaw(HKEY_CURRENT_USER, std::string(kApproved) + "\\StartupFolder", name + ".lnk", REG_BINARY, otherFlags, 12);
    StartVigilo();
    const std::vector<std::string> defaults = RegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "Ignore");
    EXPECT_NE(std::find(defaults.begin(), defaults.end(), "startup\tGoogleUpdate*Task*\t%ProgramFiles(x86)%\\Google\\Update\\GoogleUpdate.exe"), defaults.end());

    // Three shortcuts within a second: one window, and all three recorded.
    for (const std::string& name : shortcuts) shortcuts_.Add(CSIDL_STARTUP, name + ".lnk");
    HWND form = WaitForWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "and 2 more (see Recent findings)"), nullptr);
    for (const std::string& name : shortcuts) EXPECT_TRUE(Recorded(name)) << name;
    std::string shown;
    for (const std::string& name : shortcuts)
        if (FindChildByText(form, name)) shown = name;
    ASSERT_FALSE(shown.empty());

    ClickLink(form, "Disable at Windows start-up");
    ASSERT_TRUE(WaitUntil([&] { return ApprovalOf("StartupFolder", shown + ".lnk").flags == 0x07; }, 5000));
    Approval disabled = ApprovalOf("StartupFolder", shown + ".lnk");
    EXPECT_TRUE(disabled.whole);
    EXPECT_LT(NowAsFileTime() - disabled.time, kTenMinutes);
    ASSERT_TRUE(WaitUntil([&] { return Link(form, "Enable again at start-up") != nullptr; }, 5000));
    ClickLink(form, "Enable again at start-up");
    ASSERT_TRUE(WaitUntil([&] { return ApprovalOf("StartupFolder", shown + ".lnk").flags == 0x06; }, 5000));
    EXPECT_EQ(ApprovalOf("StartupFolder", shown + ".lnk").time, 0u);
    EXPECT_EQ(ReadFile(TestShortcuts::Folder(CSIDL_STARTUP) + shown + ".lnk"), "L") << "the entry itself is untouched";
    CloseAndWaitOut(form);

    // A Run value: the window's 20 seconds start again at the click.
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestDisable"));
    form = WaitForWindow(5000);
    ASSERT_NE(form, nullptr);
    const DWORD shownAt = GetTickCount();
    const std::vector<BYTE> command = Raw(kUserRun.path, "VigiloTestDisable");
    Sleep(12000);
    ClickLink(form, "Disable at Windows start-up");
    ASSERT_TRUE(WaitUntil([&] { return ApprovalOf("Run", "VigiloTestDisable").flags == 0x03; }, 5000));
    EXPECT_TRUE(ApprovalOf("Run", "VigiloTestDisable").whole);
    EXPECT_NE(ApprovalOf("Run", "VigiloTestDisable").time, 0u);
    EXPECT_EQ(Raw(kUserRun.path, "VigiloTestDisable"), command) << "the entry itself is untouched";
    Sleep(22000 - (GetTickCount() - shownAt));
    EXPECT_TRUE(IsWindowVisible(form)) << "the window went 20 seconds after it showed, not after the click";
    ClickLink(form, "Enable again at start-up");
    ASSERT_TRUE(WaitUntil([&] { return ApprovalOf("Run", "VigiloTestDisable").flags == 0x02; }, 5000));
    EXPECT_EQ(ApprovalOf("Run", "VigiloTestDisable").time, 0u);
    CloseAndWaitOut(form);

    // A rule with a wildcard keeps a matching value off the screen and out of the record.
    SetRegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "Ignore", {"startup\tVigiloTest Ign*d"});
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTest IGNORED"));
    EXPECT_TRUE(NoWindowFor(2000));
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTest Shown"));
    form = WaitForWindow(5000);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "VigiloTest Shown"), nullptr);
    EXPECT_TRUE(Recorded("VigiloTest Shown"));
    EXPECT_FALSE(Recorded("VigiloTest IGNORED"));

    // Emptied by the user, the list stays empty at the next start.
    SetRegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "Ignore", {});
    vigilo_->Kill();
    StartVigilo();
    EXPECT_TRUE(RegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "Ignore").empty());
}

TEST_F(ActOnFinding, AnEntryTurnedBackOnByAnotherProgramIsAFindingAndTheUsersOwnEnableIsNot) {
    const std::string run = std::string(kApproved) + "\\Run", name = "VigiloTestComeback";
    const auto recordedTimes = [&] {
        const std::vector<std::string> lines = RecentFindingLines();
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.ends_with("\t" + name); });
    };
    const auto disableAndClose = [&](HWND form) {
        ClickLink(form, "Disable at Windows start-up");
        ASSERT_TRUE(WaitUntil([&] { return ApprovalOf("Run", name).flags == 0x03; }, 5000));
        CloseAndWaitOut(form);
    };
    StartVigilo();
    ASSERT_TRUE(AddStartupEntry(kUserRun, name));
    HWND form = WaitForWindow();
    ASSERT_NE(form, nullptr);
    disableAndClose(form);

    // Another program sets the value back to enabled, then deletes it.
    const BYTE enabled[12] = {0x02};
    SetRaw(HKEY_CURRENT_USER, run, name, REG_BINARY, enabled, 12);
    form = WaitForWindow(10000);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "was turned back on at Windows start-up"), nullptr);
    EXPECT_NE(FindChildByText(form, name), nullptr);
    EXPECT_EQ(recordedTimes(), 2);
    disableAndClose(form);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, run.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    form = WaitForWindow(10000);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(FindChildByText(form, "was turned back on at Windows start-up"), nullptr);
    EXPECT_EQ(recordedTimes(), 3);

    // The user's own Enable in Vigilo's window is no finding.
    ClickLink(form, "Disable at Windows start-up");
    ASSERT_TRUE(WaitUntil([&] { return Link(form, "Enable again at start-up") != nullptr; }, 5000));
    Sleep(2000);  // the watch lists the disabled value before it is enabled
    ClickLink(form, "Enable again at start-up");
    ASSERT_TRUE(WaitUntil([&] { return ApprovalOf("Run", name).flags == 0x02; }, 5000));
    Sleep(3000);
    EXPECT_EQ(recordedTimes(), 3);
    CloseAndWaitOut(form);
}
