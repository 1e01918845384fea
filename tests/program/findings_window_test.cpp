// The findings window from outside, as a user and a screen reader meet it:
// opened from the tray menu's "Recent findings", it lists the history
// newest first, a finding recorded while it is open joins the list, "Don't
// show this again" on a row keeps that entry off the screen and out of the
// record from then on, and the Ignored tab lists the rule it wrote and
// removes it. The list's cells are read with LVM_GETITEMTEXTW through
// memory in Vigilo's process.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <regex>

#include "platform/text.h"
#include "support/list_view_support.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"
#include "support/tray_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

constexpr int kWhen = 0, kKind = 1, kName = 2, kWhere = 4, kProgram = 5;
constexpr int kRuleKind = 0, kRuleName = 1;
const char* const kVigiloKey = "Software\\Purgeon\\Vigilo";
const std::string kPrograms = "C:\\VigiloTest\\";

std::string HistoryPath() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return Utf8(folder) + "\\Purgeon\\Vigilo\\Findings.jsonl";
}

bool Recorded(const std::string& name) {
    const std::vector<std::string> lines = RecentFindingLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() > 20 && line.substr(20) == "startup\t" + name;
    });
}

class FindingsWindowProgram : public NotificationProgram {
protected:
    FindingsWindowProgram() : NotificationProgram("TForm2c", "StartupNotifier") {
        DeleteFileW(Utf16(HistoryPath()).c_str());
        // The programs of two entries are there, so that their findings name them.
        MakeFolders(kPrograms);
        for (const char* name : {"VigiloTest Two.exe", "VigiloTest Three.exe"}) WriteFile(kPrograms + name, "MZ");
    }
    ~FindingsWindowProgram() override {
        if (vigilo_) vigilo_->Kill();
        DeleteFileW(Utf16(HistoryPath()).c_str());
        RemoveTree(kPrograms);
    }
    // Adds a Run value and waits until the record holds it.
    void AddRecorded(const std::string& name) {
        ASSERT_TRUE(AddStartupEntry(kUserRun, name));
        ASSERT_TRUE(WaitUntil([&] { return Recorded(name); }, 10000)) << name;
    }
    // Opens the findings window as a user does: the tray icon's menu, "Recent findings", its last item.
    HWND OpenFromTrayMenu() {
        const HWND handler = WaitForTrayIcon(Pid());
        if (!handler) return nullptr;
        const HWND menu = OpenTrayMenu(handler, Pid());
        if (!menu) return nullptr;
        for (UINT key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_UP, VK_RETURN}) PostKey(menu, key);
        HWND window = nullptr;
        WaitUntil([&] { return (window = FindTopWindow("TVigiloFindings", "Vigilo findings", Pid())) != nullptr; }, 10000);
        return window;
    }
    static bool StatusSays(HWND window, const std::string& text) {
        return WaitUntil([&] { return FindChildByText(window, text) != nullptr; }, 10000);
    }
    static void Press(HWND window, const std::string& buttonText) {
        const HWND button = VisibleChild(window, "Button", buttonText);
        ASSERT_NE(button, nullptr) << buttonText;
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) != FALSE; }, 5000)) << buttonText;
        PostMessageW(button, BM_CLICK, 0, 0);
    }

    UnmanagedVigiloWindows unmanaged_;
    RunKeys runKeys_;
};

}  // namespace

TEST_F(FindingsWindowProgram, ListsTheHistoryNewestFirstAddsWhatComesAndDontShowAgainKeepsAnEntryOut) {
    StartVigilo();
    // Recorded without a window each, so that they come one after another.
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 0);
    for (const char* name : {"VigiloTest One", "VigiloTest Two", "VigiloTest Three"}) AddRecorded(name);

    const HWND window = OpenFromTrayMenu();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(StatusSays(window, "3 of 3 findings shown"));
    const HWND list = VisibleChild(window, "SysListView32");
    ASSERT_NE(list, nullptr);
    RemoteListView findings(list);
    ASSERT_EQ(findings.Count(), 3);
    EXPECT_EQ(findings.Text(0, kName), "VigiloTest Three");
    EXPECT_EQ(findings.Text(1, kName), "VigiloTest Two");
    EXPECT_EQ(findings.Text(2, kName), "VigiloTest One");
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(findings.Text(row, kKind), "Startup entry");
        EXPECT_TRUE(std::regex_match(findings.Text(row, kWhen), std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d")));
        EXPECT_EQ(findings.Text(row, kWhere),
                  "HKEY_CURRENT_USER (64-bit view)\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    }
    EXPECT_EQ(findings.Text(0, kProgram), "C:\\VigiloTest\\VigiloTest Three.exe");
    EXPECT_EQ(findings.Text(2, kProgram), "") << "no such file";
    // A second request brings the same window to the front.
    EXPECT_EQ(OpenFromTrayMenu(), window);

    AddRecorded("VigiloTest Four");
    ASSERT_TRUE(StatusSays(window, "4 of 4 findings shown"));
    EXPECT_EQ(findings.Text(0, kName), "VigiloTest Four");

    // Don't show this again on one row: the exact rule goes into "Ignore".
    findings.Select(findings.Find(kName, "VigiloTest Two"));
    Press(window, "Do&n't show this again");
    const std::string rule = "startup\t=VigiloTest Two\t=C:\\VigiloTest\\VigiloTest Two.exe";
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<std::string> lines = RegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "Ignore");
            return std::find(lines.begin(), lines.end(), rule) != lines.end();
        },
        5000));

    // At its next addition, the same name and program in the RunOnce key, it
    // is neither shown nor recorded; the entry after it in that key still is.
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 1);
    ASSERT_TRUE(AddStartupEntry(kUserRunOnce, "VigiloTest Two"));
    EXPECT_TRUE(NoWindowFor(3000));
    ASSERT_TRUE(AddStartupEntry(kUserRunOnce, "VigiloTest Five"));
    const HWND shown = WaitForWindow(10000);
    ASSERT_NE(shown, nullptr);
    EXPECT_NE(FindChildByText(shown, "VigiloTest Five"), nullptr);
    const std::vector<std::string> record = RecentFindingLines();
    EXPECT_EQ(std::count_if(record.begin(), record.end(),
                            [](const std::string& line) { return line.ends_with("\tstartup\tVigiloTest Two"); }),
              1);
    EXPECT_TRUE(StatusSays(window, "5 of 5 findings shown"));

    // The Ignored tab lists the rule, and Remove takes it away.
    const HWND tabs = VisibleChild(window, "SysTabControl32");
    ASSERT_NE(tabs, nullptr);
    SendMessageW(tabs, TCM_SETCURFOCUS, 1, 0);
    ASSERT_TRUE(WaitUntil([&] { return VisibleChild(window, "SysListView32") != list; }, 5000));
    RemoteListView rules(VisibleChild(window, "SysListView32"));
    const int row = rules.Find(kRuleName, "=VigiloTest Two");
    ASSERT_GE(row, 0);
    EXPECT_EQ(rules.Text(row, kRuleKind), "startup");
    rules.Select(row);
    Press(window, "&Remove");
    EXPECT_TRUE(WaitUntil([&] { return rules.Find(kRuleName, "=VigiloTest Two") < 0; }, 5000));
    const std::vector<std::string> left = RegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "Ignore");
    EXPECT_EQ(std::find(left.begin(), left.end(), rule), left.end());
    EXPECT_FALSE(left.empty()) << "the other rules stay";
}
